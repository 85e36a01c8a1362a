#include "tests/support/screenreader.h"

#include "app/accessibleeventgate.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "textview/textview.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

class TestAccessibleEventGate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void focusWaitsForTheFirstText_data();
    void focusWaitsForTheFirstText();

private:
    std::unique_ptr<ScreenReader> reader_;
};

// The screen reader listens behind the gate, as the platform's does.
void TestAccessibleEventGate::initTestCase()
{
    reader_ = std::make_unique<ScreenReader>([](QAccessibleEvent *event, QStringList &heard) {
        if (event->type() == QAccessible::Focus)
            heard << event->accessibleInterface()->text(QAccessible::Name);
    });
    AccessibleEventGate::install();
}

// A text box that takes the focus while its file has brought nothing yet is
// told focused once it has something to read: its first text, the end of
// an empty file's load, or, for a file that brings nothing, a moment later;
// never when the keyboard has gone back meanwhile.
void TestAccessibleEventGate::focusWaitsForTheFirstText_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("its first text comes") << "text" << QStringList{"testo"};
    QTest::newRow("an empty file's load ends") << "end" << QStringList{"testo"};
    QTest::newRow("nothing comes") << "" << QStringList{"testo"};
    // Where the screen reader last heard it is.
    QTest::newRow("the keyboard goes back") << "back" << QStringList();
}

void TestAccessibleEventGate::focusWaitsForTheFirstText()
{
    QFETCH(QString, meanwhile);
    QFETCH(QStringList, heard);
    TextModel model; // made before the view that shows it
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *view = new TextView(model);
    auto *other = new QLineEdit;
    view->setAccessibleName(QStringLiteral("testo"));
    other->setAccessibleName(QStringLiteral("altro"));
    layout->addWidget(view);
    layout->addWidget(other);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    reader_->heard.clear();

    model.setLoading(true);
    view->setFocus();
    QCOMPARE(reader_->heard, QStringList());
    if (meanwhile == u"back")
        other->setFocus();
    if (meanwhile == u"text" || meanwhile == u"back") {
        TextModelAppender appender(model);
        appender.append(QStringLiteral("uno"));
        appender.flush();
    } else if (meanwhile == u"end") {
        model.setLoading(false);
    }
    if (meanwhile.isEmpty())
        QTRY_COMPARE(reader_->heard, heard);
    else // at once
        QCOMPARE(reader_->heard, heard);
}

QTEST_MAIN(TestAccessibleEventGate)
#include "tst_accessibleeventgate.moc"
