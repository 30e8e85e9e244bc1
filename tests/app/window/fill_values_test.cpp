// The Fill Values dialog over a tree built by hand and over a file read
// through the window.
#include "window_test_support.h"

#include "app/window/fill_values_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tsl;
using namespace tsl::testing;

namespace {

DataNode* addLabel(DataTree& tree, DataNode* parent, const std::string& value, int order, const std::string& text)
{
    DataNode* label = tree.addChild(parent, "label");
    tree.setAttribute(label, "value", value);
    tree.setAttributeInt(label, "order", order);
    label->setText(text);
    return label;
}

// A template of three columns (the third carried by no data line) and two
// hours of data, one line each.
DataNode* buildTree(DataTree& tree)
{
    DataNode* templ = tree.addChild(tree.root(), "template");
    addLabel(tree, templ, "TEMP1", 1, "");
    addLabel(tree, templ, "T\xb0" "C", 2, ""); // a Latin-1 header byte
    addLabel(tree, templ, "VALVE", 3, "");
    DataNode* day = addDataDay(tree);
    for (const char* hourKey : {"00", "01"}) {
        DataNode* hour = tree.addChild(day, "dataHour");
        tree.setAttribute(hour, "hour", hourKey);
        DataNode* line = tree.addChild(hour, "dataline");
        addLabel(tree, line, "TEMP1", 1, "21.50");
        addLabel(tree, line, "T\xb0" "C", 2, "");
    }
    return templ;
}

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

std::vector<std::string> cellsOf(DataTree& tree, const std::string& column)
{
    std::vector<std::string> out;
    for (DataNode* hour = tree.findNode(tree.root(), "dataHour"); hour; hour = hour->nextSibling())
        out.emplace_back(tree.findNodeByAttribute(hour, "label", "value", column)->text());
    return out;
}

} // namespace

class FillValuesTest : public QObject {
    Q_OBJECT

private slots:
    void fillsTheChosenColumnOfTheLastReadsLabels();
    void opensFromTheMainWindowOverWhatWasRead();
};

void FillValuesTest::fillsTheChosenColumnOfTheLastReadsLabels()
{
    CCorvaneDlg w;
    DataNode* templ = buildTree(w.tree());
    {
        // A label template alone is not what the list follows: the last read's is.
        FillValuesDlg dialog(w, &w);
        QCOMPARE(dialog.columnList()->count(), 1);
        QCOMPARE(dialog.columnList()->currentText(), QString("NO LABELS ENTERED"));
        QVERIFY(!dialog.fillButton()->isEnabled() && !dialog.valueEdit()->isEnabled());
        dialog.OnFillValues();
        QCOMPARE(dialog.resultList()->count(), 0);
    }
    w.reading().templateNode = templ;
    const std::size_t logBefore = w.log().size();
    FillValuesDlg dialog(w, &w);
    QCOMPARE(dialog.fillButton()->text(), QString("Fill Values"));
    QCOMPARE(dialog.closeButton()->text(), QString("Close"));
    QCOMPARE(dialog.columnList()->count(), 3);
    QCOMPARE(dialog.columnList()->itemText(1), QString::fromUtf8("T\u00b0C"));
    QCOMPARE(dialog.columnList()->currentIndex(), 0);
    QVERIFY(dialog.fillButton()->isEnabled() && dialog.valueEdit()->isEnabled());

    dialog.columnList()->setCurrentIndex(2); // VALVE: in no data line
    dialog.valueEdit()->setText("50");
    dialog.fillButton()->click();
    dialog.columnList()->setCurrentIndex(1);
    dialog.valueEdit()->setText("4.5");
    dialog.fillButton()->click();
    // Only the chosen item counts, not text typed over it.
    dialog.columnList()->setCurrentIndex(0);
    dialog.columnList()->setEditText("VALVE");
    dialog.valueEdit()->setText("");
    dialog.fillButton()->click();

    QCOMPARE(items(dialog.resultList()),
             QStringList({"Changed 2 values.", "Changed 2 values.",
                          "Found NO values matching label. No values changed."}));
    QCOMPARE(cellsOf(w.tree(), "T\xb0" "C"), (std::vector<std::string>{"4.5", "4.5"}));
    QCOMPARE(cellsOf(w.tree(), "TEMP1"), (std::vector<std::string>{"", ""}));
    QCOMPARE(w.log().size(), logBefore); // nothing goes to the main log
}

void FillValuesTest::opensFromTheMainWindowOverWhatWasRead()
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("logger.csv").toStdString();
    writeLoggerFile(path, 120);
    CCorvaneDlg w;
    w.show();
    DialogScript dialogs;
    dialogs.choices = {{path}};
    dialogs.install(w);
    w.controlAs<QPushButton>(ControlId::ReadCsvData)->click();

    QStringList columns, results;
    bool stillOpen = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<FillValuesDlg*>(QApplication::activeModalWidget())) {
            for (int i = 0; i < dialog->columnList()->count(); ++i)
                columns << dialog->columnList()->itemText(i);
            dialog->columnList()->setCurrentIndex(1);
            dialog->valueEdit()->setText("7");
            dialog->fillButton()->click();
            // Enter in the value field fills again, and the dialog stays open.
            dialog->valueEdit()->setFocus();
            QTest::keyClick(dialog->valueEdit(), Qt::Key_Return);
            stillOpen = dialog->isVisible();
            results = items(dialog->resultList());
            dialog->closeButton()->click();
        }
    });
    w.controlAs<QPushButton>(ControlId::FillValue)->click();
    QCOMPARE(columns, QStringList({"TEMP1", "FLOW"}));
    QCOMPARE(results, QStringList({"Changed 120 values.", "Changed 120 values."}));
    QVERIFY(stillOpen);
    QVERIFY(w.dataChanges().unsaved());
}

QTEST_MAIN(FillValuesTest)
#include "fill_values_test.moc"
