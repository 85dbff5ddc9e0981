// Feeds arbitrary bytes through the provider file loader and then the writer,
// and loads the written file once more: nothing may crash, leak or hang, and
// the written file must load without a single faulty-line message.

#include "model/ProviderData.h"
#include "model/ProviderLoader.h"
#include "model/ProviderSaver.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

int messages = 0;

void setUp()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const char *tmp = std::getenv("TMPDIR");
    const QString dir = QString::fromLocal8Bit(tmp ? tmp : "/tmp") + QStringLiteral("/tarif-fuzz-%1").arg(getpid());
    QDir().mkpath(dir);
    SetProgramDirOverride(dir);
    SetMsgBoxHandler([](const TMsgBoxRequest &) {
        ++messages;
        return 1;
    });
}

void writeFile(const QByteArray &bytes)
{
    QFile f(ProgramDir() + QStringLiteral("UserProv.ini"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        std::abort();
}

TProviderData load()
{
    TTheIniFile ini;
    TProviderData data;
    data.FileName = QStringLiteral("UserProv.ini");
    LoadProviderFile(ini, data);
    return data;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    setUp();
    writeFile(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    TProviderData model = load();

    // Keys that cannot stand as idents ("=", "[", a leading ";", blanks and
    // control characters at their ends) make the writer refuse the model.
    const bool plainKeys = std::all_of(model.ProviderList().begin(), model.ProviderList().end(), [](const TKeyAndName &p) {
        return std::all_of(p.Key.begin(), p.Key.end(), [](QChar c) {
            return c > u' ' && c != u'=' && c != u'[' && c != u']' && c != u';' && c != QChar(0x7F);
        });
    });

    PrepareForSave(model);
    QStringList names;
    for (const auto &p : model.ProviderList())
        names.append(UnderscoreToSpace(p.Name));
    QByteArray out;
    if (!BuildProviderFile(model, names, QDate(2026, 12, 8), out)) {
        if (plainKeys)
            std::abort(); // everything else read from a provider file can be written back
        return 0;
    }

    // What the writer produced loads without any faulty-line message.
    writeFile(out);
    messages = 0;
    const TProviderData again = load();
    if (plainKeys && messages != 0)
        std::abort();
    if (again.Count() > model.Count())
        std::abort();
    return 0;
}
