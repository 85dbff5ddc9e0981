#include "MsgBox.h"

#include <QList>

#include <cstdio>

namespace {

TMsgBoxHandler &handlerSlot()
{
    static TMsgBoxHandler handler;
    return handler;
}

std::function<void()> &preHookSlot()
{
    static std::function<void()> hook;
    return hook;
}

std::function<void()> &postHookSlot()
{
    static std::function<void()> hook;
    return hook;
}

QString &titleSlot()
{
    static QString title;
    return title;
}

} // namespace

QString MsgBoxKindCaption(TMsgBoxKind kind)
{
    switch (kind) {
    case mkError: return QStringLiteral("Fehler");
    case mkInformation: return QStringLiteral("Information");
    case mkQuestion: return QStringLiteral("Frage");
    case mkWarning: return QStringLiteral("Warnung");
    case mkConfirmation: return QStringLiteral("Bestätigung");
    }
    return QString();
}

unsigned MsgBoxFlags(TMsgBoxKind kind, TMsgBoxButtons buttons)
{
    unsigned flags = 0x10000;
    switch (kind) {
    case mkError: flags += 0x30; break;
    case mkInformation: flags += 0x40; break;
    case mkQuestion:
    case mkConfirmation: flags += 0x20; break;
    case mkWarning: flags += 0x10; break;
    }
    static constexpr unsigned Codes[] = {2, 0, 1, 5, 4, 3};
    for (int b = 0; b < 6; ++b)
        if (buttons.Contains(static_cast<TMsgBoxButton>(b)))
            flags += Codes[b];
    return flags;
}

QList<int> MsgBoxButtonIds(TMsgBoxButtons buttons)
{
    // The buttons shown follow the summed button code, as on the platform.
    switch (MsgBoxFlags(mkPlain, buttons) & 0xF) {
    case 1: return {idOK, idCancel};
    case 2: return {idAbort, idRetry, idIgnore};
    case 3: return {idYes, idNo, idCancel};
    case 4: return {idYes, idNo};
    case 5: return {idRetry, idCancel};
    default: return {idOK};
    }
}

TMsgBoxHandler SetMsgBoxHandler(TMsgBoxHandler handler)
{
    return std::exchange(handlerSlot(), std::move(handler));
}

static int showRequest(const TMsgBoxRequest &request)
{
    if (const auto &hook = preHookSlot())
        hook();
    int result;
    if (const auto &handler = handlerSlot()) {
        result = handler(request);
    } else {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(request.Caption), qUtf8Printable(request.Text));
        result = MsgBoxButtonIds(request.Buttons).constFirst();
    }
    if (const auto &hook = postHookSlot())
        hook();
    return result;
}

int ShowMsgBox(const QString &text, const QString &caption, TMsgBoxKind kind,
               TMsgBoxButtons buttons)
{
    return showRequest({text, caption.isEmpty() ? MsgBoxKindCaption(kind) : caption, kind, buttons});
}

void ShowPlainMessage(const QString &text)
{
    showRequest({text, ApplicationTitle(), mkPlain, {btOK}});
}

QString ApplicationTitle()
{
    return titleSlot();
}

void SetApplicationTitle(const QString &title)
{
    titleSlot() = title;
}

TScopedMsgBoxPreHook::TScopedMsgBoxPreHook(std::function<void()> before, std::function<void()> after)
    : m_previous(std::exchange(preHookSlot(), std::move(before)))
    , m_previousAfter(std::exchange(postHookSlot(), std::move(after)))
{
}

TScopedMsgBoxPreHook::~TScopedMsgBoxPreHook()
{
    preHookSlot() = std::move(m_previous);
    postHookSlot() = std::move(m_previousAfter);
}
