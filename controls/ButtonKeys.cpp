#include "ButtonKeys.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

class EnterClicks : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        auto *button = static_cast<QPushButton *>(watched);
        if (button->isEnabled())
            button->click();
        return true;
    }
};

} // namespace

void ClickOnEnter(QPushButton *button)
{
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(new EnterClicks(button));
}
