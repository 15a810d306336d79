#include "converters/file_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/folder_files.h"
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
// one. The name's bytes stay as they are.
QByteArray withExtension(const QByteArray& name, const QString& extension) {
    const qsizetype nameStart = name.lastIndexOf('/') + 1;
    const qsizetype dot = name.lastIndexOf('.');
    // A dot that begins the file's own name (".wav") is no extension.
    const bool hasExtension = dot > nameStart;
    return (hasExtension ? name.left(dot) : name) + extension.toUtf8();
}

// ".mp3": a dot, then text without a further dot, folder, blank or quote.
bool isExtensionOnly(const QString& text) {
    static const QRegularExpression extension(QStringLiteral(R"(^\.[^./\\\s"]+$)"));
    return extension.match(text).hasMatch();
}

}  // namespace

NameFacts factsOf(const QByteArray& path, bool followLinks) {
#ifdef Q_OS_UNIX
    struct stat facts {};
    const int found =
        followLinks ? ::stat(path.constData(), &facts) : lstat(path.constData(), &facts);
    if (found != 0) return {};
    return {true, S_ISREG(facts.st_mode)};
#else
    const QFileInfo info(QString::fromUtf8(path));
    return {info.exists() || (!followLinks && info.isSymLink()), info.isFile()};
#endif
}

ParameterText pickedNameText(const QByteArray& name) {
    const bool looksLikeOption = name.startsWith('-');
    return ParameterText::argument(looksLikeOption ? "./" + name : name);
}

std::optional<ParameterText> derivedOutputName(const ParameterText& inputText,
                                               const QString& outputText) {
    if (!isExtensionOnly(outputText)) return std::nullopt;
    const QList<QByteArray> inputs = inputText.arguments();
    if (inputs.size() != 1) return std::nullopt;
    return pickedNameText(withExtension(inputs.constFirst(), outputText));
}

ParameterText outputNameText(const ParameterText& inputText, const QString& outputText) {
    return derivedOutputName(inputText, outputText).value_or(ParameterText(outputText));
}

QByteArray pathInFolder(const QString& folder, const QByteArray& name) {
#ifdef Q_OS_UNIX
    if (name.startsWith('/')) return name;
    return QFile::encodeName(folder) + '/' + name;
#else
    return QDir(folder).absoluteFilePath(QString::fromUtf8(name)).toUtf8();
#endif
}

bool isWaveFile(const QByteArray& path) {
    if (!factsOf(path, true).regular) return false;
    QByteArray head(12, '\0');
#ifdef Q_OS_UNIX
    const int file = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return false;
    const ssize_t got = read(file, head.data(), static_cast<size_t>(head.size()));
    close(file);
    if (got != head.size()) return false;
#else
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    head = file.read(12);
    if (head.size() != 12) return false;
#endif
    return head.startsWith("RIFF") && head.endsWith("WAVE");
}

bool nameFitsFileSystem(const QByteArray& path) {
    const qsizetype nameStart = path.lastIndexOf('/') + 1;
    const qsizetype length = path.size() - nameStart;
#ifdef Q_OS_UNIX
    const QByteArray folder = nameStart > 1 ? path.left(nameStart - 1) : QByteArray("/");
    long longest = pathconf(folder.constData(), _PC_NAME_MAX);
    if (longest <= 0) longest = 255;
    return length <= longest;
#else
    return QString::fromUtf8(path.mid(nameStart)).size() <= 255;
#endif
}

std::optional<QByteArray> firstNonFile(const QList<QByteArray>& names, const QString& folder) {
    for (const QByteArray& name : names) {
        // stat() only: opening a FIFO to look at it would block.
        const NameFacts facts = factsOf(pathInFolder(folder, name), true);
        if (facts.exists && !facts.regular) return name;
    }
    return std::nullopt;
}

ShownText shownShortName(const QByteArray& name) {
    constexpr qsizetype kLongest = 80;
    return shownElided(shownName(name), kLongest);
}

QList<QByteArray> filesMatching(const QString& folder, const QString& pattern) {
    const QRegularExpression matches(QRegularExpression::wildcardToRegularExpression(pattern),
                                     QRegularExpression::CaseInsensitiveOption);
    QList<QByteArray> names = listFiles(folder);
    // Matched as text: a byte that is no UTF-8 reads as U+FFFD, which only a
    // wildcard matches, as it would the byte.
    names.removeIf(
        [&](const QByteArray& name) { return !matches.match(QString::fromUtf8(name)).hasMatch(); });
    return names;
}

}  // namespace ondrix
