// For tests that open windows: Qt's offscreen platform with its application
// object, and steps run from inside whatever modal loop is up once it is.
#pragma once

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace mvtest {

inline void StartOffscreenApp() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// Runs `step` from the event loop once `ready` holds, looking every 5 ms.
inline void WhenReady(std::function<bool()> ready, std::function<void()> step) {
    static std::vector<std::shared_ptr<std::function<void()>>> pending;  // alive while a timer may call them
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [ready = std::move(ready), step = std::move(step), again = std::weak_ptr(poll)] {
        if (ready()) return step();
        if (auto p = again.lock()) QTimer::singleShot(5, *p);
    };
    pending.push_back(poll);
    QTimer::singleShot(0, *poll);
}

}  // namespace mvtest
