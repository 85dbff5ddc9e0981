#include "controls/ContextHelp.h"
#include "controls/HelpWindow.h"
#include "controls/MySpeedButton.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QWindow>

namespace {

// The numbers the windows of the program use; each needs a page.
const QList<int> ProgramNumbers = {510000, 510001, 1, 2, 510009, 510010, 510020, 510030, 510040, 510041,
                                   510042, 510043, 510050, 510051, 510052, 510060, 510070, 510071, 510072, 510080,
                                   51004310, 51004311, 51004312, 6, 510200, 510201, 510202, 510203};

const QString NoPageNote = QStringLiteral("Zu diesem Element gibt es noch keine eigene Hilfeseite.");

// Takes every key; records what reaches it.
class KeyEater : public QWidget
{
public:
    explicit KeyEater(bool inEvent, QWidget *parent = nullptr)
        : QWidget(parent), m_inEvent(inEvent)
    {
        setFocusPolicy(Qt::StrongFocus);
    }
    QList<int> Keys;

protected:
    bool event(QEvent *e) override
    {
        if (m_inEvent && e->type() == QEvent::KeyPress) {
            Keys << static_cast<QKeyEvent *>(e)->key();
            return true;
        }
        return QWidget::event(e);
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        Keys << e->key();
        e->accept();
    }

private:
    bool m_inEvent;
};

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// F1 the way the keyboard sends it: to the window, which hands it on.
void pressF1(QWidget *window, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), Qt::Key_F1, modifiers);
}

QTreeWidgetItem *contentsEntry(QTreeWidget *tree, int context)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const QVariant data = (*it)->data(0, Qt::UserRole);
        if (data.isValid() && data.toInt() == context)
            return *it;
    }
    return nullptr;
}

struct TAnchor
{
    QString Href;
    int Position; // in the middle of the link text
};

QList<TAnchor> anchors(const QTextDocument *doc)
{
    QList<TAnchor> result;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().isAnchor())
                result.append({f.charFormat().anchorHref(), f.position() + f.length() / 2});
        }
    }
    return result;
}

QString pageTitle(const QString &html)
{
    static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"));
    return title.match(html).captured(1).trimmed();
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Help context numbers and F1
    void speedButtonSharesTheNumber();
    void f1ShowsTopicOfFocusedControl();
    void controlWithoutNumberUsesAncestor_data();
    void controlWithoutNumberUsesAncestor();
    void f1WorksInControlThatSwallowsKeys_data();
    void f1WorksInControlThatSwallowsKeys();
    void f1IsNotTakenByShortcut();
    void onlyPlainF1OpensHelp();
    void widgetUnderMouseWhenNothingHasFocus();
    void highlightedMenuItem();
    void whatsThisClick();

    // The help window opened by F1
    void helpWindowIsOpenedOnceAndFollowsF1();
    void helpWindowUsableWhileDialogIsModal();

    // Pages and contents
    void pageForEveryNumber_data();
    void pageForEveryNumber();
    void contentsAndPagesAgree();
    void linksLeadToExistingPages();
    void showTopicShowsPageAndSelectsEntry_data();
    void showTopicShowsPageAndSelectsEntry();
    void unknownNumberShowsContentsWithNote();
    void clickingContentsEntryShowsTopic();
    void followingLinkAndGoingBack();

private:
    void recordTopics();
    QList<int> m_shown;
};

void TestHelp::initTestCase()
{
    InitHelpResources();
    TContextHelp::Install();
    TContextHelp::Install(); // a second call must not filter twice
    QVERIFY(TContextHelp::IsInstalled());
}

void TestHelp::recordTopics()
{
    TContextHelp::SetShowHandler([this](int context) { m_shown.append(context); });
}

void TestHelp::init()
{
    m_shown.clear();
    recordTopics();
}

void TestHelp::cleanup()
{
    if (QWhatsThis::inWhatsThisMode())
        QWhatsThis::leaveWhatsThisMode();
    delete TContextHelp::HelpWindow();
}

// ---- Help context numbers and F1 ----

void TestHelp::speedButtonSharesTheNumber()
{
    // The speed button's declared property and the dynamic one are the same thing.
    TMySpeedButton button;
    SetHelpContext(&button, 510040);
    QCOMPARE(button.HelpContext(), 510040);
    QVERIFY(!button.dynamicPropertyNames().contains("HelpContext"));
    button.SetHelpContext(510041);
    QCOMPARE(HelpContext(&button), 510041);
}

void TestHelp::f1ShowsTopicOfFocusedControl()
{
    QWidget window;
    SetHelpContext(&window, 510009);
    auto *layout = new QVBoxLayout(&window);
    auto *providers = new QLineEdit;
    SetHelpContext(providers, 510010);
    auto *weekday = new QLineEdit;
    SetHelpContext(weekday, 510020);
    layout->addWidget(providers);
    layout->addWidget(weekday);
    showActive(&window);

    providers->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), providers);
    pressF1(&window);
    QCOMPARE(m_shown, QList<int>{510010});
    QCOMPARE(TContextHelp::LastShownTopic(), 510010);
    QVERIFY(providers->text().isEmpty());

    QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), weekday);
    pressF1(&window);
    QCOMPARE(m_shown, (QList<int>{510010, 510020}));
}

void TestHelp::controlWithoutNumberUsesAncestor_data()
{
    QTest::addColumn<int>("windowNumber");
    QTest::addColumn<int>("boxNumber");
    QTest::addColumn<int>("editNumber");
    QTest::addColumn<int>("expected");
    QTest::newRow("own number") << 510009 << 510020 << 510052 << 510052;
    QTest::newRow("parent's number") << 510009 << 510020 << 0 << 510020;
    QTest::newRow("window's number") << 510009 << 0 << 0 << 510009;
    QTest::newRow("no number anywhere") << 0 << 0 << 0 << 0;
}

void TestHelp::controlWithoutNumberUsesAncestor()
{
    QFETCH(int, windowNumber);
    QFETCH(int, boxNumber);
    QFETCH(int, editNumber);
    QFETCH(int, expected);

    QWidget window;
    SetHelpContext(&window, windowNumber);
    auto *box = new QGroupBox(QStringLiteral("Werktag"), &window);
    SetHelpContext(box, boxNumber);
    auto *edit = new QLineEdit(box);
    SetHelpContext(edit, editNumber);
    (new QVBoxLayout(&window))->addWidget(box);
    (new QVBoxLayout(box))->addWidget(edit);
    showActive(&window);
    edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), edit);

    pressF1(&window);
    QCOMPARE(m_shown, QList<int>{expected});
    QCOMPARE(EffectiveHelpContext(edit), expected);
}

void TestHelp::f1WorksInControlThatSwallowsKeys_data()
{
    QTest::addColumn<bool>("inEvent");
    QTest::newRow("keyPressEvent takes every key") << false;
    QTest::newRow("event() takes every key") << true;
}

void TestHelp::f1WorksInControlThatSwallowsKeys()
{
    QFETCH(bool, inEvent);
    QWidget window;
    SetHelpContext(&window, 510009);
    auto *eater = new KeyEater(inEvent, &window);
    SetHelpContext(eater, 510010);
    (new QVBoxLayout(&window))->addWidget(eater);
    showActive(&window);
    eater->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), eater);

    QTest::keyClick(window.windowHandle(), Qt::Key_A);
    pressF1(&window);
    QTest::keyClick(window.windowHandle(), Qt::Key_Down);

    QCOMPARE(m_shown, QList<int>{510010});
    // F1 is used up by the help; the other keys still reach the control.
    QCOMPARE(eater->Keys, (QList<int>{Qt::Key_A, Qt::Key_Down}));
}

void TestHelp::f1IsNotTakenByShortcut()
{
    QWidget window;
    SetHelpContext(&window, 510009);
    auto *edit = new QLineEdit(&window);
    SetHelpContext(edit, 510080);
    (new QVBoxLayout(&window))->addWidget(edit);
    auto *action = new QAction(QStringLiteral("Hilfe"), &window);
    action->setShortcut(Qt::Key_F1);
    window.addAction(action);
    QSignalSpy triggered(action, &QAction::triggered);
    showActive(&window);
    edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), edit);

    pressF1(&window);
    QCOMPARE(m_shown, QList<int>{510080});
    QCOMPARE(triggered.count(), 0);
}

void TestHelp::onlyPlainF1OpensHelp()
{
    QWidget window;
    auto *eater = new KeyEater(false, &window);
    SetHelpContext(eater, 510010);
    (new QVBoxLayout(&window))->addWidget(eater);
    showActive(&window);
    eater->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), eater);

    pressF1(&window, Qt::ShiftModifier);
    pressF1(&window, Qt::ControlModifier);
    QVERIFY(m_shown.isEmpty());
    QCOMPARE(eater->Keys.count(Qt::Key_F1), 2);

    // Holding F1 down opens the help once.
    QKeyEvent first(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(eater, &first);
    QApplication::sendEvent(eater, &repeated);
    QApplication::sendEvent(eater, &repeated);
    QCOMPARE(m_shown, QList<int>{510010});
    QCOMPARE(eater->Keys.count(Qt::Key_F1), 2);
}

void TestHelp::widgetUnderMouseWhenNothingHasFocus()
{
    QWidget window;
    SetHelpContext(&window, 510009);
    auto *layout = new QVBoxLayout(&window);
    auto *weekday = new QLabel(QStringLiteral("Werktag"));
    SetHelpContext(weekday, 510020);
    auto *weekend = new QLabel(QStringLiteral("Samstag/Sonntag/Feiertag"));
    SetHelpContext(weekend, 510030);
    layout->addWidget(weekday);
    layout->addWidget(weekend);
    window.resize(300, 200);
    showActive(&window);
    QCOMPARE(QApplication::focusWidget(), nullptr);

    QCursor::setPos(weekend->mapToGlobal(weekend->rect().center()));
    QTRY_COMPARE(QApplication::widgetAt(QCursor::pos()), weekend);
    pressF1(&window);
    QCursor::setPos(weekday->mapToGlobal(weekday->rect().center()));
    QTRY_COMPARE(QApplication::widgetAt(QCursor::pos()), weekday);
    pressF1(&window);
    QCursor::setPos(window.mapToGlobal(QPoint(-50, -50)));
    pressF1(&window);

    QCOMPARE(m_shown, (QList<int>{510030, 510020, 510009}));
}

void TestHelp::highlightedMenuItem()
{
    QWidget window;
    SetHelpContext(&window, 510009);
    auto *grid = new QLineEdit(&window);
    SetHelpContext(grid, 510020);
    (new QVBoxLayout(&window))->addWidget(grid);
    showActive(&window);
    grid->setFocus();

    QMenu menu(grid);
    QAction *add = menu.addAction(QStringLiteral("Hinzufügen"));
    SetHelpContext(add, 510050);
    QAction *copy = menu.addAction(QStringLiteral("Kopieren"));
    QMenu *more = menu.addMenu(QStringLiteral("Weitere"));
    SetHelpContext(more->menuAction(), 510060);
    more->addAction(QStringLiteral("Aufsteigend"));

    menu.popup(grid->mapToGlobal(QPoint(0, grid->height())));
    QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
    QTest::keyClick(menu.windowHandle(), Qt::Key_Down);
    QCOMPARE(menu.activeAction(), add);
    pressF1(&menu);
    QTest::keyClick(menu.windowHandle(), Qt::Key_Down);
    QCOMPARE(menu.activeAction(), copy);
    pressF1(&menu); // no number of its own: the control the menu belongs to
    QTest::keyClick(menu.windowHandle(), Qt::Key_Down);
    QTest::keyClick(menu.windowHandle(), Qt::Key_Right);
    QTRY_COMPARE(QApplication::activePopupWidget(), more);
    QVERIFY(more->activeAction());
    pressF1(more); // the item that opened the submenu
    QCOMPARE(m_shown, (QList<int>{510050, 510020, 510060}));
    menu.close();
}

void TestHelp::whatsThisClick()
{
    QWidget window;
    SetHelpContext(&window, 510009);
    auto *edit = new QLineEdit(&window);
    SetHelpContext(edit, 510010);
    (new QVBoxLayout(&window))->addWidget(edit);
    QWidget plain;
    auto *plainEdit = new QLineEdit(&plain);
    showActive(&window);

    // The What's This cursor only where there is help.
    QHelpEvent query(QEvent::QueryWhatsThis, QPoint(1, 1), edit->mapToGlobal(QPoint(1, 1)));
    query.ignore();
    QApplication::sendEvent(edit, &query);
    QVERIFY(query.isAccepted());
    QHelpEvent queryPlain(QEvent::QueryWhatsThis, QPoint(1, 1), QPoint(1, 1));
    queryPlain.ignore();
    QApplication::sendEvent(plainEdit, &queryPlain);
    QVERIFY(!queryPlain.isAccepted());

    QWhatsThis::enterWhatsThisMode();
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(m_shown, QList<int>{510010});
    QVERIFY(!QWhatsThis::inWhatsThisMode());
}

// ---- The help window opened by F1 ----

void TestHelp::helpWindowIsOpenedOnceAndFollowsF1()
{
    TContextHelp::SetShowHandler({});
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *providers = new QLineEdit;
    SetHelpContext(providers, 510010);
    auto *other = new QLineEdit;
    SetHelpContext(other, 510080);
    layout->addWidget(providers);
    layout->addWidget(other);
    showActive(&window);
    providers->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), providers);

    pressF1(&window);
    QPointer<THelpWindow> help = TContextHelp::HelpWindow();
    QVERIFY(help);
    QTRY_VERIFY(help->isVisible());
    QCOMPARE(help->windowTitle(), QStringLiteral("Hilfe - Zalvor Tarifeditor"));
    QCOMPARE(help->CurrentTopic(), 510010);
    QVERIFY(help->isWindow());
    QVERIFY(!help->testAttribute(Qt::WA_QuitOnClose));

    showActive(&window);
    other->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), other);
    pressF1(&window);
    QCOMPARE(TContextHelp::HelpWindow(), help.data());
    QCOMPARE(help->CurrentTopic(), 510080);

    // F1 in the help window itself leaves the page alone.
    showActive(help);
    help->findChild<QTextBrowser *>()->setFocus();
    pressF1(help);
    QCOMPARE(help->CurrentTopic(), 510080);
}

void TestHelp::helpWindowUsableWhileDialogIsModal()
{
    TContextHelp::SetShowHandler({});
    QWidget window;
    window.resize(300, 200);
    showActive(&window);
    auto *dialog = new QDialog(&window);
    SetHelpContext(dialog, 510040);
    auto *edit = new QLineEdit(dialog);
    (new QVBoxLayout(dialog))->addWidget(edit);

    int topicInDialog = -1;
    int topicAfterClick = -1;
    QTimer::singleShot(0, dialog, [&] {
        auto close = qScopeGuard([&] { dialog->done(0); });
        QTRY_VERIFY(dialog->isActiveWindow());
        edit->setFocus();
        pressF1(dialog);
        THelpWindow *help = TContextHelp::HelpWindow();
        QVERIFY(help);
        QTRY_VERIFY(help->isVisible());
        topicInDialog = help->CurrentTopic();
        // A click in the contents, through the window system like a real one.
        auto *tree = help->findChild<QTreeWidget *>();
        QTreeWidgetItem *save = contentsEntry(tree, 510080);
        QVERIFY(save);
        const QPoint at = tree->viewport()->mapTo(help, tree->visualItemRect(save).center());
        QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {}, at);
        topicAfterClick = help->CurrentTopic();
    });
    dialog->exec();
    QCOMPARE(topicInDialog, 510040);
    QCOMPARE(topicAfterClick, 510080);

    // The dialog goes, with whatever belonged to it; help still opens.
    delete dialog;
    ShowHelpTopic(2);
    QVERIFY(TContextHelp::HelpWindow());
    QCOMPARE(TContextHelp::HelpWindow()->CurrentTopic(), 2);
    QTRY_VERIFY(TContextHelp::HelpWindow()->isVisible());
}

// ---- Pages and contents ----

void TestHelp::pageForEveryNumber_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("path");
    QTest::newRow("index") << 0 << QStringLiteral(":/help/index.html");
    for (int context : ProgramNumbers)
        QTest::newRow(qPrintable(QString::number(context)))
            << context << QStringLiteral(":/help/%1.html").arg(context);
}

void TestHelp::pageForEveryNumber()
{
    QFETCH(int, context);
    QFETCH(QString, path);

    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = file.readAll();
    QVERIFY(!bytes.isEmpty());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString html = utf8(bytes);
    QVERIFY2(!utf8.hasError(), "not UTF-8");
    QVERIFY(html.contains(QStringLiteral("charset=\"utf-8\""), Qt::CaseInsensitive));
    QVERIFY(!pageTitle(html).isEmpty());
    QVERIFY(html.contains(QStringLiteral("<h1>")));
    QVERIFY(html.contains(QStringLiteral("</html>")));
    if (context != 0)
        QVERIFY2(THelpWindow::HasTopic(context), "missing in the contents");
}

void TestHelp::contentsAndPagesAgree()
{
    QSet<int> pages;
    const QStringList files = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")});
    for (const QString &name : files) {
        if (name == QStringLiteral("index.html"))
            continue;
        bool ok = false;
        pages.insert(QStringView(name).chopped(5).toInt(&ok));
        QVERIFY2(ok, qPrintable(name));
    }
    QSet<int> listed;
    for (const THelpTopic &topic : THelpWindow::Topics()) {
        QVERIFY2(!listed.contains(topic.Context), "listed twice");
        listed.insert(topic.Context);
        QFile file(QStringLiteral(":/help/%1.html").arg(topic.Context));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(pageTitle(QString::fromUtf8(file.readAll())), topic.Title);
        QVERIFY(!topic.Group.isEmpty());
    }
    QCOMPARE(listed, pages);
}

void TestHelp::linksLeadToExistingPages()
{
    THelpWindow w;
    auto *browser = w.findChild<QTextBrowser *>();
    QList<int> shown = {0};
    for (const THelpTopic &topic : THelpWindow::Topics())
        shown.append(topic.Context);
    for (int context : shown) {
        if (context)
            w.ShowTopic(context);
        else
            w.ShowContents();
        const QList<TAnchor> links = anchors(browser->document());
        QVERIFY2(!links.isEmpty(), qPrintable(QString::number(context)));
        for (const TAnchor &link : links) {
            const QUrl target = browser->source().resolved(QUrl(link.Href));
            QVERIFY2(QFile::exists(QLatin1Char(':') + target.path()),
                     qPrintable(QStringLiteral("%1 -> %2").arg(context).arg(link.Href)));
        }
    }
}

void TestHelp::showTopicShowsPageAndSelectsEntry_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("title");
    for (const THelpTopic &topic : THelpWindow::Topics())
        QTest::newRow(qPrintable(QString::number(topic.Context))) << topic.Context << topic.Title;
}

void TestHelp::showTopicShowsPageAndSelectsEntry()
{
    QFETCH(int, context);
    QFETCH(QString, title);
    THelpWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *browser = w.findChild<QTextBrowser *>();
    auto *tree = w.findChild<QTreeWidget *>();
    auto *note = w.findChild<QLabel *>(QStringLiteral("helpNote"));
    QSignalSpy changed(&w, &THelpWindow::TopicChanged);

    w.ShowTopic(context);
    QCOMPARE(w.CurrentTopic(), context);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(browser->documentTitle(), title);
    QVERIFY(browser->toPlainText().startsWith(title));
    QVERIFY(tree->currentItem());
    QCOMPARE(tree->currentItem()->text(0), title);
    QCOMPARE(tree->currentItem()->data(0, Qt::UserRole).toInt(), context);
    QVERIFY(!note->isVisible());
}

void TestHelp::unknownNumberShowsContentsWithNote()
{
    THelpWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *browser = w.findChild<QTextBrowser *>();
    auto *note = w.findChild<QLabel *>(QStringLiteral("helpNote"));
    auto *tree = w.findChild<QTreeWidget *>();

    w.ShowTopic(510010);
    w.ShowTopic(4711);
    QCOMPARE(w.CurrentTopic(), 0);
    QVERIFY(note->isVisible());
    QVERIFY(note->text().startsWith(NoPageNote));
    QCOMPARE(browser->documentTitle(), QStringLiteral("Inhalt"));
    QCOMPARE(tree->currentItem(), contentsEntry(tree, 0));
    // The contents page lists every topic.
    QSet<QString> linked;
    for (const TAnchor &a : anchors(browser->document()))
        linked.insert(a.Href);
    for (const THelpTopic &topic : THelpWindow::Topics()) {
        QVERIFY(browser->toPlainText().contains(topic.Title));
        QVERIFY(linked.contains(QStringLiteral("%1.html").arg(topic.Context)));
    }

    // Leaving the contents page by the history drops the note as well.
    QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("helpBackButton")), Qt::LeftButton);
    QCOMPARE(w.CurrentTopic(), 510010);
    QVERIFY(!note->isVisible());
    w.ShowTopic(0); // a control without any number
    QVERIFY(note->isVisible());
    w.ShowContents();
    QVERIFY(!note->isVisible());
    QCOMPARE(w.CurrentTopic(), 0);
}

void TestHelp::clickingContentsEntryShowsTopic()
{
    THelpWindow w;
    showActive(&w);
    auto *browser = w.findChild<QTextBrowser *>();
    auto *tree = w.findChild<QTreeWidget *>();
    auto click = [tree](QTreeWidgetItem *item) {
        QVERIFY(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    };

    click(contentsEntry(tree, 510041));
    QCOMPARE(w.CurrentTopic(), 510041);
    QCOMPARE(browser->documentTitle(), QStringLiteral("Provider ändern"));

    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(w.CurrentTopic(), 510042);

    // A group heading is no page.
    const QList<QTreeWidgetItem *> groups = tree->findItems(QStringLiteral("Startfenster"), Qt::MatchExactly);
    QCOMPARE(groups.size(), 1);
    click(groups.first());
    QCOMPARE(w.CurrentTopic(), 510042);

    click(contentsEntry(tree, 1));
    QCOMPARE(w.CurrentTopic(), 1);
    click(contentsEntry(tree, 0));
    QCOMPARE(w.CurrentTopic(), 0);
}

void TestHelp::followingLinkAndGoingBack()
{
    THelpWindow w;
    showActive(&w);
    auto *browser = w.findChild<QTextBrowser *>();
    auto *tree = w.findChild<QTreeWidget *>();
    auto *back = w.findChild<QToolButton *>(QStringLiteral("helpBackButton"));
    auto *forward = w.findChild<QToolButton *>(QStringLiteral("helpForwardButton"));
    auto *contents = w.findChild<QToolButton *>(QStringLiteral("helpContentsButton"));

    w.ShowTopic(510009);
    int position = -1;
    for (const TAnchor &a : anchors(browser->document())) {
        if (a.Href == QStringLiteral("510080.html"))
            position = a.Position;
    }
    QVERIFY(position >= 0);
    QTextCursor cursor(browser->document());
    cursor.setPosition(position);
    browser->setTextCursor(cursor);
    browser->ensureCursorVisible();
    const QPoint at = browser->cursorRect(cursor).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(w.CurrentTopic(), 510080);
    QCOMPARE(tree->currentItem(), contentsEntry(tree, 510080));

    QVERIFY(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(w.CurrentTopic(), 510009);
    QCOMPARE(tree->currentItem(), contentsEntry(tree, 510009));
    QVERIFY(forward->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton);
    QCOMPARE(w.CurrentTopic(), 510080);
    QTest::mouseClick(contents, Qt::LeftButton);
    QCOMPARE(w.CurrentTopic(), 0);
}

QTEST_MAIN(TestHelp)
#include "tst_gui_help.moc"
