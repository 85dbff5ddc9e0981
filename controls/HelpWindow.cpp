#include "HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

// The resources sit in a static library: nothing would pull them into the
// program unless something refers to them.
static void initHelpResourcesOnce()
{
    Q_INIT_RESOURCE(help);
}

void InitHelpResources()
{
    static const bool done = [] {
        initHelpResourcesOnce();
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

const QString StartWindow = QStringLiteral("Startfenster");
const QString EditorWindow = QStringLiteral("Provider bearbeiten");
const QString TakeOverWindow = QStringLiteral("Provider übernehmen");
const QString ProviderDialog = QStringLiteral("Provider hinzufügen / ändern");
const QString ValidityDialog = QStringLiteral("Gültigkeit der Freistunden");
const QString RangeDialog = QStringLiteral("Eintrag der Freistunden");
const QString EntryDialog = QStringLiteral("Tarifeintrag hinzufügen oder ändern");

const QString IndexUrl = QStringLiteral("qrc:/help/index.html");
// Where index.html wants the list of all topics.
const QString TopicListMarker = QStringLiteral("<!-- Themenliste -->");
const QString NoPageNote = QStringLiteral("Zu diesem Element gibt es noch keine eigene Hilfeseite. "
                                          "Hier sehen Sie alle Themen der Hilfe.");

const QString PageStyle = QStringLiteral(
    "body { font-size: 10pt; }"
    "h1 { font-size: 13pt; font-weight: bold; color: #1d3f66; margin-bottom: 8px; }"
    "h2 { font-size: 11pt; font-weight: bold; color: #1d3f66; margin-top: 12px; margin-bottom: 4px; }"
    "p, li { margin-top: 2px; margin-bottom: 4px; }"
    "a { color: #1f5fa8; }"
    ".siehe { color: #555555; margin-top: 12px; }");

// The contents: one line per page. The group is the window the control sits in.
QList<THelpTopic> topicTable()
{
    return {
        {510000, StartWindow, QStringLiteral("Das Startfenster")},
        {510001, StartWindow, QStringLiteral("Liste „Providerinformation“")},
        {1, StartWindow, QStringLiteral("Schaltfläche „OK“")},
        {2, StartWindow, QStringLiteral("Schaltfläche „Beenden“ / „Abbrechen“")},

        {510009, EditorWindow, QStringLiteral("Das Fenster „Provider bearbeiten“")},
        {510010, EditorWindow, QStringLiteral("Providerauswahl")},
        {510020, EditorWindow, QStringLiteral("Tabelle „Werktag“")},
        {510030, EditorWindow, QStringLiteral("Tabelle „Samstag/Sonntag/Feiertag“")},
        {510040, EditorWindow, QStringLiteral("Provider hinzufügen")},
        {510041, EditorWindow, QStringLiteral("Provider ändern")},
        {510042, EditorWindow, QStringLiteral("Provider löschen")},
        {510043, EditorWindow, QStringLiteral("Provider aus der Hauptproviderdatei übernehmen")},
        {510050, EditorWindow, QStringLiteral("Werktag: Eintrag hinzufügen")},
        {510051, EditorWindow, QStringLiteral("Werktag: Eintrag ändern")},
        {510052, EditorWindow, QStringLiteral("Werktag: Eintrag löschen")},
        {510060, EditorWindow, QStringLiteral("Einträge sortieren")},
        {510070, EditorWindow, QStringLiteral("Samstag/Sonntag/Feiertag: Eintrag hinzufügen")},
        {510071, EditorWindow, QStringLiteral("Samstag/Sonntag/Feiertag: Eintrag ändern")},
        {510072, EditorWindow, QStringLiteral("Samstag/Sonntag/Feiertag: Eintrag löschen")},
        {510080, EditorWindow, QStringLiteral("Speichern")},

        {51004310, TakeOverWindow, QStringLiteral("Feld „Suchen“")},
        {51004311, TakeOverWindow, QStringLiteral("Liste der Provider der Hauptproviderdatei")},
        {51004312, TakeOverWindow, QStringLiteral("Schaltfläche „Übernehmen“")},
        {510100, ProviderDialog, QStringLiteral("Name des Providers")},
        {510101, ProviderDialog, QStringLiteral("Anzahl Freistunden")},
        {510102, ProviderDialog, QStringLiteral("Monatlicher Grundbetrag")},
        {510103, ProviderDialog, QStringLiteral("Feiertagstarif am 24.12. und 31.12.")},
        {510104, ProviderDialog, QStringLiteral("Keine Gebühren ab")},
        {510105, ProviderDialog, QStringLiteral("Abrechnung im Zeittakt der Einträge")},
        {510106, ProviderDialog, QStringLiteral("Abrechnung im Sekundentakt")},
        {510107, ProviderDialog, QStringLiteral("Kosten pro Tag")},
        {510108, ProviderDialog, QStringLiteral("Kosten bei Einwahl")},
        {510109, ProviderDialog, QStringLiteral("Gültigkeit Freistunden")},
        {510110, ProviderDialog, QStringLiteral("Kosten während der Freistunden")},
        {510111, ProviderDialog, QStringLiteral("Abrechnung ab der Sekunde")},
        {51010910, ValidityDialog, QStringLiteral("Freistunden rund um die Uhr")},
        {51010911, ValidityDialog, QStringLiteral("Zeiten für Freistunden")},
        {51010920, RangeDialog, QStringLiteral("Gültig von")},
        {51010921, RangeDialog, QStringLiteral("Gültig bis")},
        {51010922, RangeDialog, QStringLiteral("Taktung")},
        {51010923, RangeDialog, QStringLiteral("Wochentage")},
        {510200, EntryDialog, QStringLiteral("Eintrag: Gültig von")},
        {510201, EntryDialog, QStringLiteral("Eintrag: Gültig bis")},
        {510202, EntryDialog, QStringLiteral("Eintrag: Zeittakt")},
        {510203, EntryDialog, QStringLiteral("Eintrag: Gebühr pro Zeittakt")},
        {6, EntryDialog, QStringLiteral("Schaltfläche „Übernehmen“")},
    };
}

QString topicFileName(int context)
{
    return QString::number(context) + QStringLiteral(".html");
}

int topicOfUrl(const QUrl &url)
{
    QString name = url.fileName();
    if (!name.endsWith(QStringLiteral(".html")))
        return 0;
    name.chop(5);
    bool ok = false;
    const int context = name.toInt(&ok);
    return ok ? context : 0;
}

QStringList groupsInOrder()
{
    QStringList groups;
    for (const THelpTopic &topic : THelpWindow::Topics()) {
        if (!groups.contains(topic.Group))
            groups.append(topic.Group);
    }
    return groups;
}

QString topicListHtml()
{
    QString html;
    for (const QString &group : groupsInOrder()) {
        html += QStringLiteral("<h2>%1</h2>\n<ul>\n").arg(group.toHtmlEscaped());
        for (const THelpTopic &topic : THelpWindow::Topics()) {
            if (topic.Group == group) {
                html += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                            .arg(topicFileName(topic.Context), topic.Title.toHtmlEscaped());
            }
        }
        html += QStringLiteral("</ul>\n");
    }
    return html;
}

// Fills the list of topics into the contents page.
class THelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &name) override
    {
        QVariant data = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || name.fileName() != QStringLiteral("index.html"))
            return data;
        QString html = QString::fromUtf8(data.toByteArray());
        html.replace(TopicListMarker, topicListHtml());
        return html;
    }
};

} // namespace

THelpWindow::THelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    InitHelpResources();
    setWindowTitle(QStringLiteral("Hilfe - Zalvor Tarifeditor"));
    // An open help window does not keep the program running.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto *contentsButton = new QToolButton(this);
    contentsButton->setText(QStringLiteral("Inhalt"));
    contentsButton->setObjectName(QStringLiteral("helpContentsButton"));
    m_backButton = new QToolButton(this);
    m_backButton->setText(QStringLiteral("Zurück"));
    m_backButton->setObjectName(QStringLiteral("helpBackButton"));
    m_backButton->setEnabled(false);
    m_forwardButton = new QToolButton(this);
    m_forwardButton->setText(QStringLiteral("Vorwärts"));
    m_forwardButton->setObjectName(QStringLiteral("helpForwardButton"));
    m_forwardButton->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton);
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_forwardButton);
    buttons->addStretch();

    m_contents = new QTreeWidget;
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_contents->setHeaderHidden(true);
    m_contents->setColumnCount(1);
    m_contents->setRootIsDecorated(true);

    auto *overview = new QTreeWidgetItem(m_contents, {QStringLiteral("Inhalt")});
    overview->setData(0, Qt::UserRole, 0);
    for (const QString &group : groupsInOrder()) {
        auto *groupItem = new QTreeWidgetItem(m_contents, {group});
        groupItem->setFlags(Qt::ItemIsEnabled);
        QFont bold = groupItem->font(0);
        bold.setBold(true);
        groupItem->setFont(0, bold);
        for (const THelpTopic &topic : Topics()) {
            if (topic.Group == group) {
                auto *item = new QTreeWidgetItem(groupItem, {topic.Title});
                item->setData(0, Qt::UserRole, topic.Context);
                item->setToolTip(0, topic.Title);
            }
        }
    }
    m_contents->expandAll();

    m_note = new QLabel;
    m_note->setObjectName(QStringLiteral("helpNote"));
    m_note->setWordWrap(true);
    m_note->setMargin(6);
    m_note->setStyleSheet(QStringLiteral("background: #fff6cc; border: 1px solid #e0c860;"));
    m_note->hide();

    m_browser = new THelpBrowser;
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->document()->setDefaultStyleSheet(PageStyle);

    auto *page = new QWidget;
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(m_note);
    pageLayout->addWidget(m_browser);

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_contents);
    splitter->addWidget(page);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 560});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(880, 580);

    connect(m_browser, &QTextBrowser::sourceChanged, this, &THelpWindow::sourceChanged);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_backButton, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forwardButton, &QWidget::setEnabled);
    connect(m_backButton, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forwardButton, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(contentsButton, &QToolButton::clicked, this, &THelpWindow::ShowContents);
    connect(m_contents, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { contentsItemChanged(item); });

    ShowContents();
}

const QList<THelpTopic> &THelpWindow::Topics()
{
    static const QList<THelpTopic> topics = topicTable();
    return topics;
}

bool THelpWindow::HasTopic(int context)
{
    for (const THelpTopic &topic : Topics()) {
        if (topic.Context == context)
            return true;
    }
    return false;
}

QUrl THelpWindow::TopicUrl(int context)
{
    if (context == 0)
        return QUrl(IndexUrl);
    return QUrl(QStringLiteral("qrc:/help/") + topicFileName(context));
}

void THelpWindow::ShowTopic(int context)
{
    if (context == 0 || !HasTopic(context)) {
        m_browser->setSource(QUrl(IndexUrl));
        m_note->setText(NoPageNote);
        m_note->show();
        return;
    }
    m_browser->setSource(TopicUrl(context));
    m_note->hide();
}

void THelpWindow::ShowContents()
{
    m_browser->setSource(QUrl(IndexUrl));
    m_note->hide();
}

void THelpWindow::sourceChanged(const QUrl &url)
{
    m_note->hide();
    m_current = topicOfUrl(url);
    selectContentsEntry(m_current);
    emit TopicChanged(m_current);
}

void THelpWindow::contentsItemChanged(QTreeWidgetItem *item)
{
    if (m_syncing || !item)
        return;
    const QVariant context = item->data(0, Qt::UserRole);
    if (!context.isValid())
        return; // a group heading
    if (context.toInt() == 0)
        ShowContents();
    else
        ShowTopic(context.toInt());
}

void THelpWindow::selectContentsEntry(int context)
{
    m_syncing = true;
    QTreeWidgetItem *found = nullptr;
    for (QTreeWidgetItemIterator it(m_contents); *it && !found; ++it) {
        const QVariant data = (*it)->data(0, Qt::UserRole);
        if (data.isValid() && data.toInt() == context)
            found = *it;
    }
    m_contents->setCurrentItem(found);
    if (found)
        m_contents->scrollToItem(found);
    m_syncing = false;
}
