#pragma once

// The rule that saving keeps: for every file, load -> save -> load gives the
// model as saving leaves it (whole numbers where the file holds whole numbers,
// NoCostsFrom of 0 or less as -1), the saved file loads without a message,
// and saving the reloaded model gives the same bytes again. Besides, the
// loader keeps keys and free hours within their bounds, and no saved line is
// long. Shared by the fuzz target and the tests, which run it over the fuzz
// corpus.

#include "model/ProviderData.h"
#include "model/ProviderFormat.h"
#include "model/ProviderLoader.h"
#include "model/ProviderSaver.h"
#include "support/Cp1252.h"
#include "support/FileSystem.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <QDate>
#include <QFile>

namespace SaveRoundTrip {

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline TProviderData load(int *messages)
{
    const TMsgBoxHandler previous = SetMsgBoxHandler([messages](const TMsgBoxRequest &) {
        ++*messages;
        return 1;
    });
    TTheIniFile ini;
    TProviderData data;
    data.FileName = QStringLiteral("UserProv.ini");
    LoadProviderFile(ini, data);
    SetMsgBoxHandler(previous);
    return data;
}

// The file the writer makes of a model (which it sorts and normalises first);
// false when a text holds a character Windows-1252 cannot hold.
inline bool save(TProviderData data, QByteArray &bytes)
{
    PrepareForSave(data);
    return BuildProviderFile(data, QDate(2026, 12, 8), bytes);
}

// Loads `input` as UserProv.ini from the program directory and checks the
// rule. Returns what broke it, or an empty text.
inline QString Check(const QByteArray &input)
{
    const QString path = ProgramDir() + QStringLiteral("UserProv.ini");
    if (!writeFile(path, input))
        return QStringLiteral("cannot write the input");
    int messages = 0;
    const TProviderData first = load(&messages);
    // The loader keeps keys short, as every ident of a provider repeats its
    // key, and free hours within what the options dialog shows.
    for (int i = 0; i < first.Count(); ++i) {
        if (first.Provider(i).Key.size() > ProviderFormat::MaxKeyLength)
            return QStringLiteral("a key of %1 characters was taken over")
                .arg(first.Provider(i).Key.size());
        const std::int32_t freeHours = first.Options(i).FreeHours;
        if (freeHours < 0 || freeHours > TProviderOptions::MaxFreeHours)
            return QStringLiteral("free hours %1 (%2) beyond the options dialog")
                .arg(freeHours)
                .arg(SecondsToTimeText(freeHours));
    }
    QByteArray saved;
    if (!save(first, saved)) {
        // Only a text that Windows-1252 cannot hold may stop the writer.
        for (const auto &p : first.ProviderList())
            if (!Cp1252::canEncode(p.Name) || !Cp1252::canEncode(p.Key))
                return QString();
        return QStringLiteral("the writer refused a model it loaded");
    }
    // So every line written stays short, whatever the input: the longest is
    // an entry of a key of MaxKeyLength with two numbers of many digits.
    constexpr qsizetype LongestLine = 1024;
    for (qsizetype at = 0; at < saved.size();) {
        const qsizetype end = saved.indexOf('\n', at);
        const qsizetype length = (end < 0 ? saved.size() : end) - at;
        if (length > LongestLine)
            return QStringLiteral("a saved line of %1 bytes").arg(length);
        at = end < 0 ? saved.size() : end + 1;
    }
    TProviderData expected = first;
    for (int i = 0; i < expected.Count(); ++i)
        ProviderFormat::NormalizeForSave(expected.Options(i));

    if (!writeFile(path, saved))
        return QStringLiteral("cannot write the saved file");
    messages = 0;
    const TProviderData second = load(&messages);
    if (messages != 0)
        return QStringLiteral("the saved file loads with %1 messages").arg(messages);
    if (!second.SameContent(expected))
        return QStringLiteral("the saved file loads as another model");
    QByteArray again;
    if (!save(second, again) || again != saved)
        return QStringLiteral("a second save gives other bytes");
    return QString();
}

// The bound on what is read: a file one byte larger than MaxFileBytes (sparse,
// so that it costs no disk) is refused before it is read, with the code of a
// file too large. Returns what broke it, or an empty text.
inline QString CheckSizeBound()
{
    const QString path = ProgramDir() + QStringLiteral("UserProv.ini");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || !f.resize(MaxFileBytes + 1))
        return QStringLiteral("cannot write the input");
    f.close();
    int messages = 0;
    const TMsgBoxHandler previous = SetMsgBoxHandler([&messages](const TMsgBoxRequest &) {
        ++messages;
        return 1;
    });
    TTheIniFile ini;
    ini.SetReadOnly(true);
    TProviderData data;
    data.FileName = QStringLiteral("UserProv.ini");
    const bool loaded = LoadProviderFile(ini, data);
    SetMsgBoxHandler(previous);
    QFile::remove(path);
    if (loaded || ini.ErrorCode() != TooLargeCode || data.Count() != 0)
        return QStringLiteral("a file beyond the size bound was read");
    return QString();
}

} // namespace SaveRoundTrip
