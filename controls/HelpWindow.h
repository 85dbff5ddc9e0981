#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

class QLabel;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QToolButton;

// One page of the help: qrc:/help/<Context>.html.
struct THelpTopic
{
    int Context;
    QString Group; // heading in the contents
    QString Title; // entry in the contents; the page's <title> says the same
};

// Registers the help pages (resource prefix "/help"). The help window calls it
// itself; code that reads ":/help/..." directly calls it first.
void InitHelpResources();

// The program's help: contents on the left, the page on the right.
//
// A new page is a file resources/help/<number>.html, a line in
// resources/help.qrc and an entry in the topic table in HelpWindow.cpp; the
// contents page (index.html) lists the table by itself.
class THelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit THelpWindow(QWidget *parent = nullptr);

    // Shows the page for the number; a number without a page of its own
    // shows the contents page with a note.
    void ShowTopic(int context);
    void ShowContents();
    // The number of the page shown; 0 for the contents page.
    int CurrentTopic() const { return m_current; }

    // The topics in contents order.
    static const QList<THelpTopic> &Topics();
    static bool HasTopic(int context);
    static QUrl TopicUrl(int context); // the contents page for 0

signals:
    void TopicChanged(int context);

private:
    void sourceChanged(const QUrl &url);
    void contentsItemChanged(QTreeWidgetItem *item);
    void selectContentsEntry(int context);

    QTreeWidget *m_contents = nullptr;
    QTextBrowser *m_browser = nullptr;
    QLabel *m_note = nullptr;
    QToolButton *m_backButton = nullptr;
    QToolButton *m_forwardButton = nullptr;
    int m_current = -1;
    bool m_syncing = false;
};
