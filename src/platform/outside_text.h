#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <optional>
#include <utility>

namespace ondrix {

// The most characters of one outside text (a title, a name) that is shown or
// sent on: enough for any real title, small enough to lay out at once.
constexpr qsizetype kOutsideTextLimit = 1024;

// Text from outside the program made fit to show: plain, on one line, bounded.
// Only the cleaning functions below make one, and every widget, message box
// and MPRIS field that shows outside text takes this type.
class ShownText {
  public:
    ShownText() = default;
    // The program's own words, which need no cleaning: a literal only.
    template <std::size_t N>
    static ShownText own(const char16_t (&words)[N]) {
        return ShownText(QString::fromUtf16(words, N - 1));
    }
    const QString& text() const { return text_; }
    bool isEmpty() const { return text_.isEmpty(); }
    ShownText operator+(const ShownText& more) const { return ShownText(text_ + more.text_); }
    bool operator==(const ShownText&) const = default;

  private:
    explicit ShownText(QString text) : text_(std::move(text)) {}
    friend ShownText shownTitle(const QString& text, qsizetype maxLength);
    friend ShownText shownName(const QString& name, qsizetype maxLength);
    friend ShownText shownElided(const ShownText& shown, qsizetype maxLength);
    QString text_;
};

// A title, tag or station name (stream and station names, ICY titles, a
// settings file's texts): line breaks become blanks; other control
// characters, terminal escape sequences and bidirectional override,
// embedding and isolate characters are removed; cut to maxLength characters.
ShownText shownTitle(const QString& text, qsizetype maxLength = kOutsideTextLimit);

// A file or folder name as lists and boxes show it: every control and
// direction character stays in its place but shows visibly (a control as its
// Unicode picture, a direction mark as U+FFFD), so that nothing is hidden or
// reordered; cut to maxLength characters.
ShownText shownName(const QString& name, qsizetype maxLength = kOutsideTextLimit);
// The same of a name's bytes as the file system keeps them: bytes that are
// not UTF-8 show as U+FFFD.
ShownText shownName(const QByteArray& name, qsizetype maxLength = kOutsideTextLimit);

// At most maxLength characters of a shown text, its middle given up for "…".
ShownText shownElided(const ShownText& shown, qsizetype maxLength);

// The web address to open for a station's web page text: an http: or https:
// address as it is, a bare host name ("www.example.org/radio") with
// "http://" in front; nothing for anything else (a program's name, a path,
// another scheme), which must never reach the desktop's opener.
std::optional<QString> webPageAddress(const QString& text);

}  // namespace ondrix
