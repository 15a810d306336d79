#pragma once

#include <QDateTime>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/local_time.h"
#include "platform/random_source.h"
#include "platform/shell.h"
#include "player/media/media_engine.h"
#include "player/settings/settings_files.h"
#include "ui/dialogs.h"

namespace testsupport {

// Records every call; the test sets the state it reports.
class FakeEngine : public ondrix::MediaEngine {
  public:
    void controlsStop() override { calls.push_back(QStringLiteral("stop")); }
    void controlsPlay() override { calls.push_back(QStringLiteral("play")); }
    void setURL(const QString& url) override {
        url_ = url;
        urls.push_back(url);
        calls.push_back(QStringLiteral("URL=") + url);
        if (stateAfterUrl) state = *stateAfterUrl;
        if (stateForUrl) state = stateForUrl(url);
    }
    QString URL() const override { return url_; }
    QString streamTitle() const override { return stream; }
    ondrix::PlayState playState() const override { return state; }
    QString currentMediaItemInfo(const QString& attribute) const override {
        return attribute == QLatin1String("bitrate") ? QString(bitrate) : QString();
    }

    // A value the test sets; setting another one tells of the change, as an
    // engine does.
    template <typename T>
    class Reported {
      public:
        Reported(T value, std::function<void(const T&)> changed)
            : value_(std::move(value)), changed_(std::move(changed)) {}
        Reported& operator=(const T& next) {
            if (next != value_) {
                value_ = next;
                changed_(value_);
            }
            return *this;
        }
        operator const T&() const { return value_; }

      private:
        T value_;
        std::function<void(const T&)> changed_;
    };

    Reported<ondrix::PlayState> state{ondrix::PlayState::Undefined,
                                      [this](ondrix::PlayState s) { emit playStateChanged(s); }};
    std::optional<ondrix::PlayState> stateAfterUrl;                // reported once a URL is set
    std::function<ondrix::PlayState(const QString&)> stateForUrl;  // the same, by address
    Reported<QString> bitrate{QString(), [this](const QString&) { emit bitRateChanged(); }};
    QStringList calls;
    QStringList urls;
    QString stream;  // the title a station sends

  private:
    QString url_;
};

struct ShellCall {
    ondrix::WindowHandle window;
    QString operation, file, parameters, directory;
    int showCommand;
    bool run;  // a program run, not a document open
};

// Records opens and runs; a program named in missing is not found.
class FakeShell : public ondrix::Shell {
  public:
    int open(ondrix::WindowHandle window, const QString& operation, const QString& file,
             const QString& parameters, const QString& directory, int showCommand) override {
        calls.push_back({window, operation, file, parameters, directory, showCommand, false});
        return ondrix::kShellStarted;
    }
    int run(ondrix::WindowHandle window, const QString& operation, const QString& program,
            const QString& parameters, const QString& directory, int showCommand) override {
        if (!canRun(program)) return ondrix::kShellFileNotFound;
        calls.push_back({window, operation, program, parameters, directory, showCommand, true});
        return ondrix::kShellStarted;
    }
    bool canRun(const QString& program) override { return !missing.contains(program); }
    std::vector<ShellCall> calls;
    QStringList missing;
};

class FakeClock : public ondrix::Clock {
  public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2026, 12, 7), QTime(2, 15, 40));
};

// Returns the queued numbers in turn (0 when none are left).
class FakeRandom : public ondrix::RandomSource {
  public:
    void reseedFromClock() override { ++reseeds; }
    double next() override {
        if (values.empty()) return 0.0;
        const double v = values.front();
        values.pop_front();
        return v;
    }
    std::deque<double> values;
    int reseeds = 0;
};

struct MessageCall {
    QString text, title;
    ondrix::MessageIcon icon;
};

class FakeDialogs : public ondrix::Dialogs {
  public:
    void message(QWidget*, const QString& text, const QString& title,
                 ondrix::MessageIcon icon) override {
        messages.push_back({text, title, icon});
        if (onMessage) onMessage();
    }
    bool ask(QWidget*, const QString& text, const QString& title) override {
        questions.push_back({text, title, ondrix::MessageIcon::Information});
        return answer;
    }
    std::optional<QString> openFile(QWidget*, const ondrix::OpenFileRequest& request) override {
        requests.push_back(request);
        return nextChoice;
    }
    std::vector<MessageCall> messages, questions;
    bool answer = false;  // Yes or No to every question
    std::vector<ondrix::OpenFileRequest> requests;
    std::optional<QString> nextChoice;
    std::function<void()> onMessage;  // runs while the "modal box" is open
};

// Records the window moves, captions and information boxes of the loaders.
class FakeSettingsHost : public ondrix::SettingsHost {
  public:
    double windowLeft() const override { return left; }
    double windowTop() const override { return top; }
    void setWindowLeft(double twips) override {
        left = twips;
        moves.append(QStringLiteral("left"));
    }
    void setWindowTop(double twips) override {
        top = twips;
        moves.append(QStringLiteral("top"));
    }
    void setStationCaption(int button, const QString& caption) override {
        captions[button] = caption;
    }
    void keepOnScreen() override { moves.append(QStringLiteral("keepOnScreen")); }
    void showInformation(const QString& text, const QString& title) override {
        information.append(text + QLatin1Char('|') + title);
    }
    double left = 0, top = 0;
    QStringList moves, information;
    std::map<int, QString> captions;
};

}  // namespace testsupport
