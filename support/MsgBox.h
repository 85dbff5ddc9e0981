#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// Kinds of message: each brings its caption and icon.
enum TMsgBoxKind : std::uint8_t {
    mkError = 0,        // "Fehler", exclamation mark
    mkInformation = 1,  // "Information", information sign
    mkQuestion = 2,     // "Frage", question mark
    mkWarning = 3,      // "Warnung", stop sign
    mkConfirmation = 4, // "Bestätigung", question mark
};

// Any other ordinal has neither caption nor icon; the plain message dialog
// (application title as caption, OK alone) uses this one.
inline constexpr TMsgBoxKind mkPlain = static_cast<TMsgBoxKind>(0xFF);

// The button choices; callers pass exactly one.
enum TMsgBoxButton : std::uint8_t {
    btAbortRetryIgnore = 0,
    btOK = 1,
    btOKCancel = 2,
    btRetryCancel = 3,
    btYesNo = 4,
    btYesNoCancel = 5,
};

// A set of TMsgBoxButton, one bit per element. The empty set shows OK.
class TMsgBoxButtons
{
public:
    constexpr TMsgBoxButtons() = default;
    constexpr TMsgBoxButtons(std::initializer_list<TMsgBoxButton> buttons)
    {
        for (auto b : buttons)
            m_bits |= static_cast<std::uint8_t>(1u << b);
    }
    constexpr bool Contains(TMsgBoxButton b) const { return m_bits & (1u << b); }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    constexpr std::uint8_t Bits() const { return m_bits; }
    constexpr bool operator==(const TMsgBoxButtons &) const = default;

private:
    std::uint8_t m_bits = 0;
};

// Identifiers of the pressed button.
enum TMsgBoxResult : int {
    idOK = 1,
    idCancel = 2,
    idAbort = 3,
    idRetry = 4,
    idIgnore = 5,
    idYes = 6,
    idNo = 7,
};

// The caption of a kind ("Fehler", ...); empty for any other ordinal.
QString MsgBoxKindCaption(TMsgBoxKind kind);

// The platform-style flags of a message (foreground 0x10000, icon, buttons).
unsigned MsgBoxFlags(TMsgBoxKind kind, TMsgBoxButtons buttons);

// The buttons a box shows, in order, as result identifiers.
QList<int> MsgBoxButtonIds(TMsgBoxButtons buttons);

// Everything one message box shows: the text, the caption already resolved
// (the caller's, or the kind's when the caller gave none), kind and buttons.
struct TMsgBoxRequest
{
    QString Text;
    QString Caption;
    TMsgBoxKind Kind = mkError;
    TMsgBoxButtons Buttons;
};

// Who shows the box and returns the pressed button's identifier. The widgets
// library installs the real dialog at start-up; tests and the command-line
// tool install their own.
using TMsgBoxHandler = std::function<int(const TMsgBoxRequest &)>;

// Installs a handler and returns the previous one.
TMsgBoxHandler SetMsgBoxHandler(TMsgBoxHandler handler);

// Shows a modal message box and returns the identifier of the pressed button
// (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No). An empty Caption
// selects the kind's. Without any handler installed the message goes to
// standard error and the first button's identifier is returned.
int ShowMsgBox(const QString &text, const QString &caption, TMsgBoxKind kind,
               TMsgBoxButtons buttons);

// The toolkit's plain message dialog: the application title as caption and
// one OK button; goes through the same handler.
void ShowPlainMessage(const QString &text);

// Runs `before` ahead of every message box for the lifetime of the object,
// for example to take an always-on-top wait window out of the box's way, and
// `after` (when given) once the box is answered.
class TScopedMsgBoxPreHook
{
public:
    explicit TScopedMsgBoxPreHook(std::function<void()> before, std::function<void()> after = {});
    ~TScopedMsgBoxPreHook();
    TScopedMsgBoxPreHook(const TScopedMsgBoxPreHook &) = delete;
    TScopedMsgBoxPreHook &operator=(const TScopedMsgBoxPreHook &) = delete;

private:
    std::function<void()> m_previous;
    std::function<void()> m_previousAfter;
};

// The application title (caption of plain messages).
QString ApplicationTitle();
void SetApplicationTitle(const QString &title);
