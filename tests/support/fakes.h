#pragma once

#include <QDateTime>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "media/engine_machine.h"
#include "media/media_engine.h"
#include "platform/local_time.h"
#include "platform/random_source.h"
#include "platform/shell.h"
#include "player/settings/settings_files.h"
#include "ui/dialogs.h"

namespace testsupport {

// Records every call and keeps the engine's own rules: its state comes from
// the real engine machine, fed with scripted libmpv events. A test moves it
// on as libmpv would (`state = Playing` opens and plays the address); a state
// the machine cannot reach from where it stands (anything before an address
// was set, or a value no engine reports) is reported as the test says until
// the next call.
class FakeEngine : public ondrix::MediaEngine {
  public:
    void controlsStop() override {
        calls.push_back(QStringLiteral("stop"));
        step([&] { machine_.stop(); });
    }
    void controlsPlay() override {
        calls.push_back(QStringLiteral("play"));
        step([&] { machine_.play(); });
    }
    void controlsPause() override {
        calls.push_back(QStringLiteral("pause"));
        step([&] { machine_.pause(); });
    }
    void setURL(const QString& url, ondrix::AddressOrigin origin) override {
        urls.push_back(url);
        calls.push_back(QStringLiteral("URL=") + url);
        step([&] { machine_.setUrl(url, ondrix::admitAddress(origin, url)); });
    }
    QString URL() const override { return machine_.url(); }
    QString streamTitle() const override { return stream; }
    ondrix::PlayState playState() const override {
        return reported_ ? *reported_ : machine_.state();
    }
    QString failureText() const override { return ondrix::failureText(machine_.failure()); }
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

    // Moves the engine on to a state as libmpv's events would.
    class State {
      public:
        explicit State(FakeEngine& engine) : engine_(engine) {}
        State& operator=(ondrix::PlayState next) {
            engine_.reach(next);
            return *this;
        }
        operator ondrix::PlayState() const { return engine_.playState(); }

      private:
        FakeEngine& engine_;
    };

    State state{*this};
    std::function<bool(const QString&)> fails;  // addresses that cannot be opened
    Reported<QString> bitrate{QString(), [this](const QString&) { emit bitRateChanged(); }};
    QStringList calls;
    QStringList urls;
    QString stream;  // the title a station sends

  private:
    using Phase = ondrix::EnginePhase;

    template <typename Feed>
    void step(Feed&& feed, std::optional<ondrix::PlayState> asked = std::nullopt) {
        reported_.reset();
        feed();
        answer();
        if (asked && machine_.state() != *asked) reported_ = asked;
        if (playState() != told_) emit playStateChanged(told_ = playState());
    }

    void reach(ondrix::PlayState next) {
        using S = ondrix::PlayState;
        step(
            [&] {
                const Phase phase = machine_.phase();
                const bool opening = phase == Phase::Opening || phase == Phase::Reconnecting;
                switch (next) {
                    case S::Playing:
                        if (phase == Phase::Paused) machine_.play();
                        if (phase == Phase::Ended || phase == Phase::Failed) machine_.play();
                        if (machine_.phase() == Phase::Opening || opening) open();
                        machine_.pausedForCacheChanged(ondrix::CoreId::First, false);
                        break;
                    case S::Buffering:
                        if (machine_.phase() == Phase::Opening) open();
                        machine_.pausedForCacheChanged(ondrix::CoreId::First, true);
                        break;
                    case S::Paused:
                        machine_.pause();
                        break;
                    case S::Stopped:
                        // A file plays to its end; anything else is stopped.
                        if (machine_.loaded() && !machine_.network())
                            machine_.fileEnded(ondrix::CoreId::First, entry_,
                                               ondrix::EndReason::Eof);
                        else
                            machine_.stop();
                        break;
                    case S::Transitioning:
                        machine_.play();
                        break;
                    case S::Ready:
                        if (opening || phase == Phase::Buffering)
                            machine_.fileEnded(ondrix::CoreId::First, entry_,
                                               ondrix::EndReason::Error);
                        break;
                    default:
                        break;
                }
            },
            next);
    }

    // libmpv answers each loadfile at once, and one it cannot open with an error.
    void answer() {
        for (auto sent = machine_.takeCommands(); !sent.empty(); sent = machine_.takeCommands())
            for (const ondrix::EngineCommand& c : sent)
                if (c.kind == ondrix::EngineCommand::Kind::Load)
                    machine_.loadReplied(c.core, c.tag, !(fails && fails(c.address)), ++entry_);
    }

    // libmpv opens the address and starts playing it.
    void open() {
        machine_.fileStarted(ondrix::CoreId::First, entry_);
        machine_.fileLoaded(ondrix::CoreId::First);
        machine_.playbackRestarted(ondrix::CoreId::First);
    }

    ondrix::EngineMachine machine_{[] { return qint64{0}; }};
    std::int64_t entry_ = 0;
    std::optional<ondrix::PlayState> reported_;
    ondrix::PlayState told_ = ondrix::PlayState::Undefined;
};

struct ShellCall {
    ondrix::WindowHandle window;
    QString file, parameters, directory;
    bool run;        // a program run, not a document open
    QString output;  // what the run writes
};

// Records opens and runs, a run's parameter text as text; a program named in
// missing is not found.
class FakeShell : public ondrix::Shell {
  public:
    ondrix::ShellResult open(ondrix::WindowHandle window, const QString& file,
                             const QString& directory) override {
        calls.push_back({window, file, {}, directory, false, {}});
        return ondrix::ShellResult::Started;
    }
    ondrix::ShellResult run(ondrix::WindowHandle window, const QString& program,
                            const ondrix::ParameterText& parameters, const QString& directory,
                            const QByteArray& output) override {
        if (!canRun(program)) return ondrix::ShellResult::NotFound;
        calls.push_back(
            {window, program, parameters.text(), directory, true, QString::fromUtf8(output)});
        return ondrix::ShellResult::Started;
    }
    bool canRun(const QString& program) override { return !missing.contains(program); }
    std::vector<ShellCall> calls;
    QStringList missing;
};

class FakeClock : public ondrix::Clock {
  public:
    QDateTime now() const override { return time; }
    // Time passes as the local time is moved: a test moves one clock.
    std::int64_t steadyMs() const override { return time.toMSecsSinceEpoch(); }
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
