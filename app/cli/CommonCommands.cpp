// pelorix-cli commands over the shared layer: exchange files, pictures and data tables.
#include "app/cli/CliSupport.h"

#include "common/DibBitmap.h"
#include "common/MessageSink.h"
#include "common/TDataFrame.h"
#include "common/TNVFreeImage.h"
#include "workbench/hostexchange/TInterfaceBA.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

int HostInfoCommand(const QStringList& args)
{
    const QString usage = QStringLiteral("host-info EXCHANGE.ini");
    const auto parsed = ParseArgs(args, {});
    if (!parsed || parsed->positional.size() != 1)
        return UsageError(usage);

    TInterfaceBA exchange(TInterfaceBA::miReceive);
    if (!exchange.Read(parsed->positional[0]))
        return InputError(exchange.ErrorString());

    QJsonArray images;
    QJsonArray subjects;
    for (int i = 0; i < exchange.Count(); ++i) {
        const structImage image = exchange.ImageRecord(i);
        images.append(QJsonObject {
            { QStringLiteral("Image"), image.Image },
            { QStringLiteral("Date"), image.Date },
            { QStringLiteral("Time"), image.Time },
            { QStringLiteral("Pp100MM"), image.Pp100MM },
            { QStringLiteral("ExclusionCircleRadiusInPixel"), image.ExclusionCircleRadiusInPixel },
            { QStringLiteral("ExclusionCircleX0InPixel"), image.ExclusionCircleX0InPixel },
            { QStringLiteral("ExclusionCircleY0InPixel"), image.ExclusionCircleY0InPixel },
            { QStringLiteral("ResultFileDB"), image.ResultFileDB },
        });
        const structSubject subject = exchange.SubjectRecord(i);
        subjects.append(QJsonObject {
            { QStringLiteral("Name"), subject.Name },
            { QStringLiteral("Firstname"), subject.Firstname },
            { QStringLiteral("Birthdate"), subject.Birthdate },
        });
    }
    QJsonArray additional;
    for (qsizetype i = 0; i < exchange.AdditionalNames().size(); ++i)
        additional.append(QJsonObject { { QStringLiteral("name"), exchange.AdditionalNames()[i] },
            { QStringLiteral("value"), exchange.AdditionalValues().value(i) } });

    const QJsonObject analysis {
        { QStringLiteral("Automatic"), exchange.Automatic },
        { QStringLiteral("Result"), exchange.Result },
        { QStringLiteral("ResultDetail"), exchange.ResultDetail },
        { QStringLiteral("ResultImage"), exchange.ResultImage },
        { QStringLiteral("StoppAtEnd"), exchange.StoppAtEnd },
        { QStringLiteral("ResultRequest"), exchange.ResultRequest },
        { QStringLiteral("ResultFileAppend"), exchange.ResultFileAppend },
    };
    PrintJson(QJsonDocument(QJsonObject {
        { QStringLiteral("count"), exchange.Count() },
        { QStringLiteral("sender"), exchange.Sender },
        { QStringLiteral("receiver"), exchange.Receiver },
        { QStringLiteral("images"), images },
        { QStringLiteral("subjects"), subjects },
        { QStringLiteral("analysis"), analysis },
        { QStringLiteral("ResultImageDirectory"), exchange.ResultImageDirectory },
        { QStringLiteral("ResultFile"), exchange.ResultFile },
        { QStringLiteral("ResultFileDetail"), exchange.ResultFileDetail },
        { QStringLiteral("ResultFileDB"), exchange.ResultFileDB },
        { QStringLiteral("additional"), additional },
    }));
    return kExitOk;
}

int PictureInfoCommand(const QStringList& args)
{
    const auto parsed = ParseArgs(args, {});
    if (!parsed || parsed->positional.size() != 1)
        return UsageError(QStringLiteral("picture-info PICTURE"));
    const QString path = parsed->positional[0];

    QString error;
    const auto bitmap = TNVFreeImage().Load(path, &error);
    if (!bitmap)
        return InputError(path + QStringLiteral(": ") + error);
    PrintJson(QJsonDocument(QJsonObject {
        { QStringLiteral("width"), bitmap->Width() },
        { QStringLiteral("height"), bitmap->Height() },
        { QStringLiteral("bpp"), bitmap->Bpp() },
        { QStringLiteral("paletteSize"), bitmap->PaletteSize() },
    }));
    return kExitOk;
}

int TableConvertCommand(const QStringList& args)
{
    const QString usage = QStringLiteral("table-convert IN.dff OUT.txt [--decimal C]");
    const auto parsed = ParseArgs(args, { QStringLiteral("--decimal") });
    if (!parsed || parsed->positional.size() != 2)
        return UsageError(usage);
    QChar decimal = QLatin1Char('.');
    if (const auto option = parsed->Option(QStringLiteral("--decimal"))) {
        if (option->size() != 1) {
            std::fprintf(stderr, "--decimal takes exactly one character, not \"%s\"\n", option->toUtf8().constData());
            return UsageError(usage);
        }
        decimal = option->at(0);
    }
    const QString in = parsed->positional[0];
    const QString out = parsed->positional[1];

    if (!QFileInfo(in).isFile())
        return InputError(in + QStringLiteral(": the data table file does not exist"));
    // The table reports damage as messages; here they become the one error line.
    QStringList messages;
    const auto previous = MessageSink::SetHandler([&messages](const QString& text) { messages << text; });
    TDataFrame table;
    const bool read = table.ReadDataFram(in);
    MessageSink::SetHandler(previous);
    if (!read)
        return InputError(
            in + QStringLiteral(": ") + (messages.isEmpty() ? table.LastError() : messages.join(QStringLiteral("; "))));
    if (!table.WriteText(out, false, decimal))
        return InputError(table.LastError());
    return kExitOk;
}
