#include "TestSupport.h"

#include "support/TextHelpers.h"

#include <QDir>
#include <QFile>

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

int RunAsNobody(const std::function<int()> &step)
{
#ifdef _WIN32
    // Another user's rights are given by access lists there, not tried here.
    (void)step;
    return -1;
#else
    if (::geteuid() != 0)
        return -1;
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(NobodyId, NobodyId, NobodyId) != 0
            || ::setresuid(NobodyId, NobodyId, NobodyId) != 0)
            ::_exit(99);
        ::_exit(step());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) { }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
}

MsgRecorder::MsgRecorder()
{
    m_previous = SetMsgBoxHandler([this](const TMsgBoxRequest &r) {
        m_messages.append(r);
        if (!m_answers.empty()) {
            const int id = m_answers.front();
            m_answers.pop_front();
            return id;
        }
        return MsgBoxButtonIds(r.Buttons).constFirst();
    });
}

MsgRecorder::~MsgRecorder()
{
    SetMsgBoxHandler(std::move(m_previous));
}

QStringList MsgRecorder::Texts() const
{
    QStringList out;
    for (const auto &m : m_messages)
        out.append(m.Text);
    return out;
}

TempProgramDir::TempProgramDir()
{
    SetProgramDirOverride(Path());
}

TempProgramDir::~TempProgramDir()
{
    SetProgramDirOverride(QString());
}

QString TempProgramDir::Path() const
{
    return m_dir.path() + u'/';
}

void TempProgramDir::Write(const QString &name, const QByteArray &bytes) const
{
    QFile f(FilePath(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file");
}

QByteArray TempProgramDir::Read(const QString &name) const
{
    QFile f(FilePath(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QStringList TempProgramDir::Entries() const
{
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

TLocaleSettings DollarLocale()
{
    TLocaleSettings s;
    s.TimeSeparator = u':';
    s.DecimalSeparator = u'.';
    s.ThousandSeparator = u',';
    s.CurrencyString = QStringLiteral("$");
    s.CurrencyFormat = 0;
    s.NegCurrFormat = 1;
    s.CurrencyDecimals = 2;
    return s;
}

QByteArray CrLf(std::initializer_list<const char *> lines)
{
    QByteArray out;
    for (const char *l : lines) {
        out.append(l);
        out.append("\r\n");
    }
    return out;
}

QString ProgramText(const QByteArray &output)
{
    QString text = QString::fromUtf8(output);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

TTariffEntry MakeEntry(int from, int to, double interval, double fee)
{
    TTariffEntry e;
    e.TimeFrom = from;
    e.TimeTo = to;
    e.Interval = interval;
    e.Fee = fee;
    return e;
}
