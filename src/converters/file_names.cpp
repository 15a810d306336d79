#include "converters/file_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "platform/command_line.h"
#include "platform/outside_text.h"

namespace ondrix {

QString dialogFilterText(const QString& middleFilter) {
    return QStringLiteral("Wave Files (*.wav)|*wav|") + middleFilter +
           QStringLiteral("All Files (*.*)|*.*| ");
}

QStringList qtNameFilters(const QString& filterText) {
    const QStringList pieces = filterText.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        // Windows separates patterns with ";" and lets "*.*" match names
        // without a dot; Qt separates with blanks and "*" matches all.
        QStringList patterns = pieces.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        }
        patterns.removeAll(QString());
        if (patterns.isEmpty()) continue;
        const QString description = pieces.at(i).trimmed();
        filters << (description.isEmpty() ? QString() : description + QLatin1Char(' ')) +
                       QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

namespace {

// "song.wav" with ".mp3" gives "song.mp3"; a name without an extension gets
// one.
QString withExtension(const QString& name, const QString& extension) {
    const qsizetype nameStart = name.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A dot that begins the file's own name (".wav") is no extension.
    const bool hasExtension = dot > nameStart;
    return (hasExtension ? name.left(dot) : name) + extension;
}

// ".mp3": a dot, then text without a further dot, folder, blank or quote.
bool isExtensionOnly(const QString& text) {
    static const QRegularExpression extension(QStringLiteral(R"(^\.[^./\\\s"]+$)"));
    return extension.match(text).hasMatch();
}

}  // namespace

QString pickedNameText(const QString& name) {
    const bool looksLikeOption = name.startsWith(QLatin1Char('-'));
    return quoteWindowsArgument(looksLikeOption ? QStringLiteral("./") + name : name);
}

std::optional<QString> derivedOutputName(const QString& inputText, const QString& outputText) {
    if (!isExtensionOnly(outputText)) return std::nullopt;
    const QStringList inputs = splitWindowsCommandLine(inputText);
    if (inputs.size() != 1) return std::nullopt;
    return pickedNameText(withExtension(inputs.constFirst(), outputText));
}

QString outputNameText(const QString& inputText, const QString& outputText) {
    return derivedOutputName(inputText, outputText).value_or(outputText);
}

bool isWaveFile(const QString& path) {
    if (!QFileInfo(path).isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.endsWith("WAVE");
}

bool nameFitsFileSystem(const QString& path) {
    const QFileInfo info(path);
    const QByteArray name = QFile::encodeName(info.fileName());
#ifdef Q_OS_UNIX
    long longest = pathconf(QFile::encodeName(info.absolutePath()).constData(), _PC_NAME_MAX);
    if (longest <= 0) longest = 255;
    return name.size() <= longest;
#else
    return info.fileName().size() <= 255;
#endif
}

std::optional<QString> firstNonFile(const QStringList& names, const QString& folder) {
    for (const QString& name : names) {
        // stat() only: opening a FIFO to look at it would block.
        const QFileInfo info(QDir(folder).absoluteFilePath(name));
        if (info.exists() && !info.isFile()) return name;
    }
    return std::nullopt;
}

ShownText shownShortName(const QString& name) {
    constexpr qsizetype kLongest = 80;
    return shownElided(shownName(name), kLongest);
}

QStringList filesMatching(const QString& folder, const QString& pattern) {
    // QDir matches name filters regardless of case unless told otherwise.
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

}  // namespace ondrix
