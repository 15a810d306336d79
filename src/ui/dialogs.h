#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace ondrix {

enum class MessageIcon { Information, Critical };

struct OpenFileRequest {
    QString initialDir;
    QStringList nameFilters;  // Qt name filters, "Wave Files (*wav)"
    QString fileName;         // last choice; the dialog starts from it
};

// Modal boxes behind an interface so that handlers that show one are tested
// without anybody to click OK.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Returns when the user has closed the box.
    virtual void message(QWidget* parent, const QString& text, const QString& title,
                         MessageIcon icon) = 0;
    // A question with Yes and No, No the default; true for Yes.
    virtual bool ask(QWidget* parent, const QString& text, const QString& title) = 0;
    // The chosen file's full path, or nothing when cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const OpenFileRequest& request) = 0;
};

class QtDialogs : public Dialogs {
  public:
    void message(QWidget* parent, const QString& text, const QString& title,
                 MessageIcon icon) override;
    bool ask(QWidget* parent, const QString& text, const QString& title) override;
    std::optional<QString> openFile(QWidget* parent, const OpenFileRequest& request) override;
};

}  // namespace ondrix
