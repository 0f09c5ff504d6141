#include "splashwindow.h"

#include "artwork.h"
#include "common/errortrap.h"
#include "productinfo.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QScreen>
#include <QWindow>

namespace {

// The artwork is drawn for this size; the labels sit in its white lower band.
constexpr QSize kSplashSize(480, 300);
constexpr QRect kVersionArea(28, 196, 300, 22);
constexpr QRect kLegalArea(28, 222, 310, 70);

void makeWhite(QLabel *label)
{
    label->setAutoFillBackground(true);
    QPalette white = label->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, QColor(0x33, 0x3d, 0x47));
    label->setPalette(white);
}

} // namespace

SplashWindow::SplashWindow(AppContext &context, InstanceCheck anotherInstance, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_context(context), m_anotherInstance(std::move(anotherInstance))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Quillo"));
    setFixedSize(kSplashSize);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("imgSplash"));
    m_picture->setGeometry(rect());
    m_picture->setPixmap(Artwork::picture(QStringLiteral("splash"), devicePixelRatioF()));
    m_picture->setAccessibleName(QStringLiteral("Quillo"));

    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("lblSplashVersion"));
    m_version->setGeometry(kVersionArea);
    QFont bold = m_version->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_version->setFont(bold);

    m_legal = new QLabel(this);
    m_legal->setObjectName(QStringLiteral("lblSplashLegal"));
    m_legal->setGeometry(kLegalArea);
    m_legal->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_legal->setTextFormat(Qt::PlainText);
}

SplashWindow::Outcome SplashWindow::Form_Load(const ShowMainWindow &showMainWindow)
{
    Outcome outcome = Outcome::Failed;
    bool hourglass = false;
    const bool ok = errorTrap(m_context, QStringLiteral("Form_Load (frmSplash)"), [&] {
        if (m_anotherInstance && m_anotherInstance()) {
            close();
            outcome = Outcome::SecondInstance;
            return;
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        hourglass = true;

        makeWhite(m_version);
        makeWhite(m_legal);
        m_version->setText(ProductInfo::splashVersionText());
        m_legal->setText(ProductInfo::splashLegalText());

        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        paintNow();

        m_context.state.ProductVersionText = ProductInfo::productVersionText();
        // The wait blocks on purpose: the splash takes no input while it shows.
        m_context.clock.sleep(kShowMs);

        close();
        QApplication::restoreOverrideCursor();
        hourglass = false;
        showMainWindow();
        outcome = Outcome::MainShown;
    });
    if (!ok) {
        // The start-up goes no further. The caller ends the application, so the pointer is
        // given back rather than left as an hourglass over a program that is gone.
        if (hourglass)
            QApplication::restoreOverrideCursor();
        close();
        outcome = Outcome::Failed;
    }
    return outcome;
}

void SplashWindow::paintNow()
{
    show();
    raise();
    // Before the blocking wait the window must really be on screen: a window system maps a
    // new window a little later, so events run until it is exposed (briefly, never for long).
    const QDeadlineTimer limit(500);
    QCoreApplication::processEvents();
    while (windowHandle() && !windowHandle()->isExposed() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 20);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
