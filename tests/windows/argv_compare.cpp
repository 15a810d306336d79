// Holds splitWindowsCommandLine against Windows' own CommandLineToArgvW (run
// under Wine by scripts/test-windows through argv_dump.exe).
//
//   windows_argv_compare texts CORPUS_DIR TEXTS_FILE
//     writes every parameter text to compare, one per UTF-8 line;
//   windows_argv_compare compare TEXTS_FILE WINDOWS_FILE [WINE_CASES_FILE]
//     splits each text with splitWindowsCommandLine, compares with what
//     CommandLineToArgvW made of it, prints each difference and checks that
//     a picked name, quoted, splits back into that name. Texts listed in
//     WINE_CASES_FILE (text, tab, reason) are Wine's own faults: reported,
//     not failed. Exits 1 on any other difference.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <cstdio>
#include <optional>
#include <random>

#include "converters/flac.h"
#include "converters/frame.h"
#include "converters/mp3.h"
#include "platform/command_line.h"

namespace {

using namespace ondrix;

// The program name CommandLineToArgvW gets ahead of each text: it reads its
// first argument by other rules (no backslash escapes), so argv_dump.exe
// prepends this and both sides drop it.
const QString kProgramName = QStringLiteral("p.exe");

// The quoting a picked file name gets before it joins a parameter text; the
// one place to change should picked names be quoted by another helper.
QString quotePickedName(const QString& name) {
    return pickedNameText(name.toUtf8()).text();
}

void print(const QString& text) {
    std::fputs(qUtf8Printable(text + QLatin1Char('\n')), stdout);
}

QString shown(const QString& text) {
    QString out(QLatin1Char('"'));
    for (const QChar c : text) {
        if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString shown(const QStringList& arguments) {
    QStringList parts;
    for (const QString& argument : arguments) parts << shown(argument);
    return QLatin1Char('{') + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
}

// Lines, since the Windows side reads one text per line.
QStringList corpusTexts(const QString& folder) {
    QStringList texts;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) continue;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
            texts << QString(line).remove(QLatin1Char('\r')).remove(QChar(0));
    }
    return texts;
}

// Blanks, tabs, letters, "" pairs and runs of 0 to 5 backslashes before a
// quote (and before other characters): every sequence of up to three pieces,
// then longer sequences drawn with a fixed seed.
QStringList generatedTexts() {
    QStringList pieces{QStringLiteral(" "),    QStringLiteral("\t"), QStringLiteral("a"),
                       QStringLiteral("\"\""), QStringLiteral("\\"), QStringLiteral("\\\\\\b")};
    for (int backslashes = 0; backslashes <= 5; ++backslashes)
        pieces << QString(backslashes, QLatin1Char('\\')) + QLatin1Char('"');

    QStringList texts{QString()};
    QStringList previous{QString()};
    for (int length = 1; length <= 3; ++length) {
        QStringList next;
        for (const QString& start : previous)
            for (const QString& piece : pieces) next << start + piece;
        texts << next;
        previous = next;
    }
    // Other blanks neither side separates on.
    for (const char16_t c : {u'\v', u'\f', u'\r', u'\u00a0', u'\u3000', u'\u2028'}) {
        const QString blank(QChar{c});
        texts << QStringLiteral("a") + blank + QStringLiteral("b") << blank + QStringLiteral("a")
              << QStringLiteral("\"a") + blank + QStringLiteral("b\"");
    }
    std::mt19937 random(20261207);
    for (int i = 0; i < 4000; ++i) {
        const int length = 4 + static_cast<int>(random() % 9);
        QString text;
        for (int j = 0; j < length; ++j)
            text += pieces.at(static_cast<qsizetype>(random() % pieces.size()));
        texts << text;
    }
    return texts;
}

// Names with blanks, tabs, quotes, leading dashes and backslashes.
QStringList pickedNames() {
    return {QStringLiteral("song.wav"),
            QStringLiteral("my song.wav"),
            QStringLiteral("-song.wav"),
            QStringLiteral("-my song.wav"),
            QStringLiteral("--preset"),
            QStringLiteral("-"),
            QStringLiteral("tab\tname.wav"),
            QStringLiteral(" lead and trail .wav"),
            QStringLiteral(R"(C:\Music\my song.wav)"),
            QStringLiteral(R"(\\server\share\a b.wav)"),
            QStringLiteral(R"(C:\Music\-x.wav)"),
            QStringLiteral("/home/u/My Music/a.wav"),
            QStringLiteral("café € 🎵.wav"),
            QStringLiteral(R"(ends\\)"),
            QStringLiteral(R"(C:\My Music\)"),
            QStringLiteral(R"(a"b.wav)"),
            QStringLiteral(R"(say "hi".wav)"),
            QStringLiteral(R"(x\"y z.wav)"),
            QStringLiteral("\"")};
}

// A name a Windows file can carry: no quote, not ending in a backslash.
bool isWindowsFileName(const QString& name) {
    return !name.contains(QLatin1Char('"')) && !name.endsWith(QLatin1Char('\\'));
}

// Every parameter text the converters build from those names, as picked
// (quoted) and as typed into the box.
QStringList converterTexts() {
    QStringList inputs{QString()};
    for (const QString& name : pickedNames()) inputs << name << quotePickedName(name);
    const QStringList outputs{QString(),
                              QStringLiteral(".mp3"),
                              QStringLiteral(".flac"),
                              QStringLiteral("out file.mp3"),
                              QStringLiteral("-o.mp3"),
                              QStringLiteral(R"(C:\Out Dir\x.flac)"),
                              QStringLiteral(R"(q"x.flac)"),
                              quotePickedName(QStringLiteral("my out.flac"))};
    const QStringList userOptions{QString(), QStringLiteral("-V4"),
                                  QStringLiteral("-q 2 --abr 200"),
                                  QStringLiteral(R"(--tt "a b" --ta \"x\")")};
    QStringList texts;
    for (const QString& input : inputs) {
        for (const QString& output : outputs) {
            texts << cbrParameterText(input, output).text()
                  << abrParameterText(input, output).text()
                  << vbrParameterText(input, output).text()
                  << smallestParameterText(input, output).text()
                  << standardParameterText(input, output).text()
                  << largerParameterText(input, output).text();
            for (const QString& options : userOptions)
                texts << userCodeParameterText(options, input, output).text();
        }
    }
    return texts;
}

QStringList pickedNameTexts() {
    QStringList texts;
    for (const QString& name : pickedNames()) texts << quotePickedName(name);
    return texts;
}

int writeTexts(const QString& corpusFolder, const QString& path) {
    const QList<std::pair<QString, QStringList>> sources{
        {QStringLiteral("splitter fuzz corpus"), corpusTexts(corpusFolder)},
        {QStringLiteral("generated blanks, tabs, quotes and backslash runs"), generatedTexts()},
        {QStringLiteral("converter parameter texts"), converterTexts()},
        {QStringLiteral("quoted picked names"), pickedNameTexts()}};
    QStringList texts;
    QSet<QString> seen;
    for (const auto& [source, sourceTexts] : sources) {
        qsizetype added = 0;
        for (const QString& text : sourceTexts) {
            if (seen.contains(text)) continue;
            seen.insert(text);
            texts << text;
            ++added;
        }
        print(
            QStringLiteral("%1: %2 texts (%3 new)").arg(source).arg(sourceTexts.size()).arg(added));
    }
    if (corpusTexts(corpusFolder).isEmpty()) {
        print(QStringLiteral("no fuzz corpus in ") + corpusFolder);
        return 1;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    for (const QString& text : texts) file.write(text.toUtf8() + '\n');
    return 0;
}

// "3 x0070 x0061 x": the count, then each argument's UTF-16 code units.
std::optional<QStringList> parseWindowsLine(const QString& line) {
    QStringList fields = line.split(QLatin1Char(' '));
    bool ok = false;
    const qsizetype count = fields.takeFirst().toInt(&ok);
    if (!ok || count != fields.size()) return std::nullopt;
    QStringList arguments;
    for (const QString& field : fields) {
        if (!field.startsWith(QLatin1Char('x')) || (field.size() - 1) % 4 != 0) return std::nullopt;
        QString argument;
        for (qsizetype i = 1; i < field.size(); i += 4) {
            const ushort unit = field.mid(i, 4).toUShort(&ok, 16);
            if (!ok) return std::nullopt;
            argument += QChar(unit);
        }
        arguments << argument;
    }
    return arguments;
}

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast();
    return lines;
}

int compare(const QString& textsPath, const QString& windowsPath, const QString& wineCasesPath) {
    const QStringList texts = readLines(textsPath);
    const QStringList windowsLines = readLines(windowsPath);
    if (texts.isEmpty() || windowsLines.size() != texts.size()) {
        print(QStringLiteral("FAIL: %1 texts, but %2 lines from CommandLineToArgvW")
                  .arg(texts.size())
                  .arg(windowsLines.size()));
        return 1;
    }
    QHash<QString, QString> wineCases;
    for (const QString& line : wineCasesPath.isEmpty() ? QStringList() : readLines(wineCasesPath)) {
        const qsizetype tab = line.lastIndexOf(QLatin1Char('\t'));
        if (tab > 0) wineCases.insert(line.left(tab), line.mid(tab + 1));
    }

    QHash<QString, QStringList> windowsArguments;
    int differences = 0;
    int winesOwn = 0;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString& text = texts.at(i);
        std::optional<QStringList> windows = parseWindowsLine(windowsLines.at(i));
        if (!windows || windows->isEmpty() || windows->constFirst() != kProgramName) {
            print(QStringLiteral("FAIL: text %1 %2: unreadable CommandLineToArgvW line \"%3\"")
                      .arg(i + 1)
                      .arg(shown(text), windowsLines.at(i)));
            ++differences;
            continue;
        }
        windows->removeFirst();
        windowsArguments.insert(text, *windows);
        const QStringList ours = splitWindowsCommandLine(text);
        if (ours == *windows) continue;
        const bool wines = wineCases.contains(text);
        print(QStringLiteral(
                  "%1 text %2\n  CommandLineToArgvW:      %3\n  splitWindowsCommandLine: %4")
                  .arg(wines ? QStringLiteral("WINE'S (") + wineCases.value(text) +
                                   QStringLiteral("):")
                             : QStringLiteral("DIFFERENCE:"),
                       shown(text), shown(*windows), shown(ours)));
        ++(wines ? winesOwn : differences);
    }
    print(QStringLiteral("compared %1 parameter texts (each after \"%2 \", the program name "
                         "dropped on both sides): splitWindowsCommandLine against Windows' "
                         "CommandLineToArgvW under Wine: %3 differences, %4 known Wine faults")
              .arg(texts.size())
              .arg(kProgramName)
              .arg(differences)
              .arg(winesOwn));

    // Quote a picked name, split it, get the name back: alone and between
    // the encoder's options and the output name, by both splitters.
    int whole = 0;
    int broken = 0;
    QStringList outsideWindows;
    for (const QString& name : pickedNames()) {
        const QString quoted = quotePickedName(name);
        // A name that begins with a dash may come back as "./" + name, which
        // keeps an encoder from reading it as an option.
        QList<QStringList> accepted{{name}};
        if (name.startsWith(QLatin1Char('-'))) accepted << QStringList{QStringLiteral("./") + name};
        QStringList failures;
        for (const QString& text :
             {quoted, cbrParameterText(quoted, QStringLiteral(".mp3")).text()}) {
            const bool alone = text == quoted;
            QList<QStringList> expected;
            for (const QStringList& back : accepted)
                expected << (alone ? back
                                   : QStringList{QStringLiteral("-h"), QStringLiteral("-b"),
                                                 QStringLiteral("128")} +
                                         back + QStringList{QStringLiteral(".mp3")});
            const QStringList ours = splitWindowsCommandLine(text);
            const QStringList windows =
                windowsArguments.value(text, {QStringLiteral("(not compared)")});
            if (!expected.contains(ours) || !expected.contains(windows))
                failures << QStringLiteral("%1 splits as %2 (ours), %3 (CommandLineToArgvW)")
                                .arg(shown(text), shown(ours), shown(windows));
        }
        if (failures.isEmpty()) {
            ++whole;
            continue;
        }
        const QString line =
            QStringLiteral("name %1: ").arg(shown(name)) + failures.join(QStringLiteral("; "));
        if (isWindowsFileName(name)) {
            print(QStringLiteral("ROUND TRIP FAILS: ") + line);
            ++broken;
        } else {
            outsideWindows << line;
        }
    }
    for (const QString& line : outsideWindows)
        print(QStringLiteral("not whole, a name no Windows file has: ") + line);
    print(QStringLiteral("picked-name quoting round trip: %1 of %2 names come back whole "
                         "through splitWindowsCommandLine and CommandLineToArgvW; %3 Windows "
                         "file names do not, %4 names no Windows file has do not")
              .arg(whole)
              .arg(pickedNames().size())
              .arg(broken)
              .arg(outsideWindows.size()));
    return differences == 0 && broken == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("texts"))
        return writeTexts(args.at(2), args.at(3));
    if ((args.size() == 4 || args.size() == 5) && args.at(1) == QLatin1String("compare"))
        return compare(args.at(2), args.at(3), args.size() == 5 ? args.at(4) : QString());
    std::fputs(
        "usage: windows_argv_compare texts CORPUS_DIR TEXTS_FILE\n"
        "       windows_argv_compare compare TEXTS_FILE WINDOWS_FILE [WINE_CASES_FILE]\n",
        stderr);
    return 2;
}
