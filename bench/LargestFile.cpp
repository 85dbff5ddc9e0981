#include "LargestFile.h"

#include <QString>

#include <algorithm>

QByteArray LargestProviderFile(int providers)
{
    QByteArray f;
    f.reserve(qsizetype(providers) * 2600);
    auto line = [&](const QString &s) {
        f += s.toLatin1();
        f += "\r\n";
    };
    auto key = [](int i) { return QStringLiteral("PROV%1").arg(i + 1, 4, 10, QChar(u'0')); };
    line(QStringLiteral("; Provider.ini"));
    line(QStringLiteral("[PROVIDER]"));
    for (int i = 0; i < providers; ++i)
        line(QStringLiteral("P%1=Anbieter_Nummer_%2_Großkunden,%3")
                 .arg(i)
                 .arg(providers - 1 - i)
                 .arg(key(i)));
    for (const char *word : {"WERKTAG", "SASO"})
        for (int i = 0; i < providers; ++i) {
            line(u'[' + key(i) + QLatin1String(word) + u']');
            for (int j = 0; j < 21; ++j)
                line(key(i) + QString::number(j)
                     + QStringLiteral("=%1:00-%1:59/60.0000/0.0%2").arg(j, 2, 10, QChar(u'0')).arg(100 + j));
        }
    const char *options[] = {"TIMING", "MinConnectTime", "FREISTUNDEN", "OPTIONS", "FreeHoursCosts",
                             "GRUNDBETRAG", "BASECONNECTPRICE", "FreeHoursPerDay", "ISDNDoubleCosts",
                             "NOCOSTS", "COSTSPERDAY"};
    const char *values[] = {"60.0000", "60.0000", "36000", "YES", "12.5000", "495", "9.9000", "YES",
                            "YES", "2500", "15"};
    for (int o = 0; o < 11; ++o) {
        line(u'[' + QLatin1String(options[o]) + u']');
        for (int i = 0; i < providers; ++i)
            line(key(i) + u'=' + QLatin1String(values[o]));
        if (o == 2)
            for (int i = 0; i < providers; ++i) {
                line(u'[' + key(i) + QStringLiteral("FREEHOURSRANGE]"));
                for (int j = 0; j < 8; ++j)
                    line(key(i) + QString::number(j) + QStringLiteral("=23456|%1:00-%1:59/60.0000/").arg(j + 10));
            }
    }
    return f;
}

QByteArray SharedKeyFile(int rangeLines)
{
    QByteArray f = "[PROVIDER]\r\n";
    for (int i = 0; i < 1025; ++i)
        f += "P" + QByteArray::number(i) + "=Anbieter_" + QByteArray::number(i) + ",SAME0001\r\n";
    f += "[SAME0001FREEHOURSRANGE]\r\n";
    for (int j = 0; j < rangeLines; ++j)
        f += "SAME0001" + QByteArray::number(j) + "=23456|10:00-10:59/60.0000/\r\n";
    return f;
}

QByteArray TinyLinesFile(qsizetype bytes)
{
    QByteArray f = "[PROVIDER]\r\nP0=Klein,TINY\r\n[TINYFREEHOURSRANGE]\r\n";
    f.reserve(bytes + 3);
    while (f.size() < bytes)
        f += "a\n";
    return f;
}

QByteArray HeadersFile(qsizetype bytes, bool distinct)
{
    QByteArray f = "[PROVIDER]\r\nP0=Klein,TINY\r\n";
    f.reserve(bytes + 16);
    for (int i = 0; f.size() < bytes; ++i)
        f += distinct ? "[" + QByteArray::number(i, 36) + "]\n" : QByteArray("[a]\n");
    return f;
}

QByteArray BoundKeyFile(qsizetype bytes)
{
    auto key = [](int i) {
        return QByteArray::number(i).rightJustified(64, 'K');
    };
    QByteArray f = "[PROVIDER]\r\n";
    for (int i = 0; i < 1025; ++i)
        f += "P" + QByteArray::number(i) + "=N," + key(i) + "\r\n";
    f.reserve(bytes + 4096);
    // The range sections in turn, each a share of the lines.
    const QByteArray line = "a=1|00:00-00:00/5e-324/\r\n";
    const qsizetype perProvider = std::max<qsizetype>(1, (bytes - f.size()) / line.size() / 1025);
    for (int i = 0; i < 1025 && f.size() < bytes; ++i) {
        f += "[" + key(i) + "FREEHOURSRANGE]\r\n";
        for (qsizetype j = 0; j < perProvider; ++j)
            f += line;
    }
    return f;
}
