#pragma once

#include "common/appcontext.h"

#include <QWidget>
#include <functional>

class QLabel;

// frmSplash, the start of the application: refuses a second instance, shows the version for
// two seconds under the hourglass, makes ProductVersionText, then hands over to the main
// window.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Outcome {
        SecondInstance, // another instance runs: nothing was shown
        MainShown,      // the splash is closed and the main window shown
        Failed,         // an error was reported; the main window was not shown
    };
    // True when another instance of the application is already running.
    using InstanceCheck = std::function<bool()>;
    // Makes, loads and shows the main window.
    using ShowMainWindow = std::function<void()>;

    static constexpr int kShowMs = 2000;

    SplashWindow(AppContext &context, InstanceCheck anotherInstance, QWidget *parent = nullptr);

    Outcome Form_Load(const ShowMainWindow &showMainWindow);

private:
    void paintNow();

    AppContext &m_context;
    InstanceCheck m_anotherInstance;
    QLabel *m_picture = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_legal = nullptr;
};
