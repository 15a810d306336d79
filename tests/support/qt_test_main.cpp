#include <gtest/gtest.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "ui/fonts.h"

namespace {

// Ends the test program with the name of a test that hangs, instead of
// leaving the runner to kill it without a word.
class Watchdog : public ::testing::EmptyTestEventListener {
public:
    explicit Watchdog(int limitSeconds) : limit_(limitSeconds) {
        std::thread([this] {
            for (;;) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
                const long started = started_.load();
                if (started && now() - started > limit_) {
                    std::fprintf(stderr, "watchdog: %s still runs after %d s\n", name_, limit_);
                    std::fflush(stderr);
                    std::abort();
                }
            }
        }).detach();
    }
    void OnTestStart(const ::testing::TestInfo& info) override {
        std::snprintf(name_, sizeof name_, "%s.%s", info.test_suite_name(), info.name());
        started_ = now();
    }
    void OnTestEnd(const ::testing::TestInfo&) override { started_ = 0; }

private:
    static long now() {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count()) + 1;
    }
    int limit_;
    std::atomic<long> started_{0};
    char name_[512] = {};
};

}  // namespace

int main(int argc, char** argv) {
    // Window tests run headless unless a test brings its own display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ondrix::installFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    const int limit = qEnvironmentVariableIsSet("ONDRIX_TEST_WATCHDOG")
                          ? qEnvironmentVariableIntValue("ONDRIX_TEST_WATCHDOG")
                          : 240;
    if (limit > 0) ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog(limit));
    return RUN_ALL_TESTS();
}
