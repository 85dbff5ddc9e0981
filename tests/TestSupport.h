#pragma once

#include "model/TETypes.h"
#include "support/LocaleSettings.h"
#include "support/MsgBox.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <functional>

// Records every message box and answers it, so that no test blocks on a dialog.
// Answers are taken in order; when none is left the first button is pressed.
class MsgRecorder
{
public:
    MsgRecorder();
    ~MsgRecorder();
    MsgRecorder(const MsgRecorder &) = delete;
    MsgRecorder &operator=(const MsgRecorder &) = delete;

    void Answer(int id) { m_answers.push_back(id); }
    const QList<TMsgBoxRequest> &Messages() const { return m_messages; }
    QStringList Texts() const;
    void Clear() { m_messages.clear(); }

private:
    QList<TMsgBoxRequest> m_messages;
    std::deque<int> m_answers;
    TMsgBoxHandler m_previous;
};

// A fresh program directory for the duration of a test.
class TempProgramDir
{
public:
    TempProgramDir();
    ~TempProgramDir();
    QString Path() const; // ends in "/"
    QString FilePath(const QString &name) const { return Path() + name; }
    void Write(const QString &name, const QByteArray &bytes) const;
    QByteArray Read(const QString &name) const;
    QStringList Entries() const;

private:
    QTemporaryDir m_dir;
};

// The unprivileged user (and group) the permission tests take on.
inline constexpr unsigned NobodyId = 65534;
// Runs `step` in a child process as that user, with no other group, and
// gives its exit status (128 + signal when it died); -1 when the tests do not
// run as root and cannot become another user.
int RunAsNobody(const std::function<int()> &step);

// Settings of a point-decimal locale with the symbol in front: "$1.00", "-$1.00".
TLocaleSettings DollarLocale();

// A tariff entry with the given times (seconds), interval and fee.
TTariffEntry MakeEntry(int from, int to, double interval, double fee = 0);

// Builds CR LF text from lines.
QByteArray CrLf(std::initializer_list<const char *> lines);

// A program's output as text: UTF-8, with the CR LF line ends of a Windows
// console program made LF.
QString ProgramText(const QByteArray &output);
