#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/outside_text.h"
#include "platform/parameter_text.h"

namespace ondrix {

// The converters' rules for file names: the dialog's filters, how a picked
// or derived name goes into the parameter text, and which files may serve.
// A file name is held by its bytes (QFile::encodeName's form), so that one
// that is no UTF-8 is listed, checked and passed to the encoder exactly.

// The open-file dialog's filter text: wave files, the program's format, all files.
QString dialogFilterText(const QString& middleFilter);

// "Desc|pattern|Desc|pattern|..." as Qt name filters: the description as
// written, then the pattern in the last parentheses, where Qt reads it
// ("Wave Files (*.wav) (*wav)"). "*.*" matches every name, as on Windows; a
// description without a pattern is dropped. The dialog shows only the
// descriptions.
QStringList qtNameFilters(const QString& filterText);

// A picked file name as it goes into Text1, so that the encoder receives it
// as one argument and never as an option: quoted by the rules the parameter
// text is split by, and "./" before a name that begins with "-".
ParameterText pickedNameText(const QByteArray& name);

// The output name that goes into the parameter text. When the output box
// holds only an extension (".mp3") and the input box one name, it is the
// input's name with that extension, written like a picked name; otherwise
// the output box as it stands.
ParameterText outputNameText(const ParameterText& inputText, const QString& outputText);

// The input's name (its bytes) with the output box's extension, written like
// a picked name, when the output box holds only an extension and the input
// box one name; otherwise nothing.
std::optional<ParameterText> derivedOutputName(const ParameterText& inputText,
                                               const QString& outputText);

// A name as a program working in the folder finds it: as it stands when it
// is absolute, else below the folder.
QByteArray pathInFolder(const QString& folder, const QByteArray& name);

// What the file system says of a name, without opening it: of what a link
// names (followLinks), or of the link itself, so that a broken link exists.
struct NameFacts {
    bool exists = false;
    bool regular = false;
};
NameFacts factsOf(const QByteArray& path, bool followLinks);

// Whether the file begins with a RIFF/WAVE header. Only a regular file is
// opened: a FIFO would block.
bool isWaveFile(const QByteArray& path);

// Whether the file system that would hold the path takes its name's length.
bool nameFitsFileSystem(const QByteArray& path);

// The first of the names, each taken relative to the folder, that exists and
// is no regular file (a FIFO, device or folder); no file is opened.
std::optional<QByteArray> firstNonFile(const QList<QByteArray>& names, const QString& folder);

// A name from outside as a message shows it: in its visible form, a long
// name shortened in the middle.
ShownText shownShortName(const QByteArray& name);

// The files of a folder whose names match the pattern whatever their letter
// case ("SONG.WAV" for "*.wav"), in name order, hidden files left out; by
// their bytes, also the names that are no UTF-8.
QList<QByteArray> filesMatching(const QString& folder, const QString& pattern);

}  // namespace ondrix
