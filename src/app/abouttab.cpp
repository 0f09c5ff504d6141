#include "abouttab.h"

#include "artwork.h"
#include "helplinks.h"
#include "linklabel.h"
#include "productinfo.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

AboutTab::AboutTab(AppContext &context, MainFrame &frame, QWidget *parent)
    : QWidget(parent), m_context(context), m_frame(frame)
{
    setObjectName(QStringLiteral("tabAbout"));
    m_links = new HelpLinks(m_context, this);
    // The menu is built before the tabs, so the Help entries can be wired here.
    m_links->connectMenu(m_frame);

    // The content keeps a readable width in the middle of a wide window.
    auto *page = new QWidget(this);
    page->setMaximumWidth(640);

    QLabel *logo = makePicture(page, "picAbout1", QStringLiteral("about-logo"), QStringLiteral("Quillo logo"));

    m_about1 = new QLabel(page);
    m_about1->setObjectName(QStringLiteral("lblAbout1"));
    QFont title = m_about1->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    m_about1->setFont(title);

    auto *tagline = new QLabel(QStringLiteral("Bulk SMS through your own GSM modem"), page);
    tagline->setObjectName(QStringLiteral("lblAboutTagline"));
    QFont italic = tagline->font();
    italic.setItalic(true);
    tagline->setFont(italic);

    m_about2 = new QLabel(page);
    m_about2->setObjectName(QStringLiteral("lblAbout2"));
    m_about2->setWordWrap(true);
    m_about3 = new QLabel(page);
    m_about3->setObjectName(QStringLiteral("lblAbout3"));
    m_about3->setWordWrap(true);

    auto *heading = new QVBoxLayout;
    heading->setSpacing(6);
    heading->addWidget(m_about1);
    heading->addWidget(tagline);
    heading->addSpacing(10);
    heading->addWidget(m_about2);
    heading->addWidget(m_about3);
    heading->addStretch(1);

    auto *top = new QHBoxLayout;
    top->setSpacing(20);
    top->addWidget(logo, 0, Qt::AlignTop);
    top->addLayout(heading, 1);

    m_website = new LinkLabel(ProductInfo::webSiteText(), page);
    m_website->setObjectName(QStringLiteral("lblWebsite"));
    m_website->setAccessibleName(QStringLiteral("Web site ") + ProductInfo::webSiteText());
    m_website->setToolTip(ProductInfo::webSiteUrl());
    m_email = new LinkLabel(ProductInfo::supportEmail(), page);
    m_email->setObjectName(QStringLiteral("lblEmail"));
    m_email->setAccessibleName(QStringLiteral("E-mail ") + ProductInfo::supportEmail());
    m_email->setToolTip(QStringLiteral("Write to ") + ProductInfo::supportEmail());
    connect(m_website, &LinkLabel::clicked, m_links, &HelpLinks::lblWebsite_Click);
    connect(m_email, &LinkLabel::clicked, m_links, &HelpLinks::lblEmail_Click);

    auto *links = new QFormLayout;
    links->setLabelAlignment(Qt::AlignRight);
    links->setHorizontalSpacing(12);
    links->addRow(QStringLiteral("Web site:"), m_website);
    links->addRow(QStringLiteral("Support e-mail:"), m_email);

    QLabel *modem = makePicture(page, "picAbout2", QStringLiteral("about-modem"),
                                QStringLiteral("A computer with a GSM modem"));
    QLabel *phones = makePicture(page, "picAbout3", QStringLiteral("about-phones"),
                                 QStringLiteral("Messages reaching many phones"));
    auto *caption = new QLabel(QStringLiteral("From your computer, through your GSM modem, to every number "
                                              "on your list."),
                               page);
    caption->setObjectName(QStringLiteral("lblAboutPictures"));
    caption->setAlignment(Qt::AlignHCenter);
    caption->setWordWrap(true);
    QPalette muted = caption->palette();
    muted.setColor(QPalette::WindowText, muted.color(QPalette::PlaceholderText));
    caption->setPalette(muted);

    auto *pictures = new QHBoxLayout;
    pictures->addStretch(1);
    pictures->addWidget(modem);
    pictures->addSpacing(24);
    pictures->addWidget(phones);
    pictures->addStretch(1);

    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    column->addLayout(top);
    column->addWidget(separator(page));
    column->addLayout(links);
    column->addWidget(separator(page));
    column->addStretch(1);
    column->addLayout(pictures);
    column->addWidget(caption);

    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(24, 24, 24, 18);
    outer->addStretch(1);
    outer->addWidget(page, 6);
    outer->addStretch(1);
}

QLabel *AboutTab::makePicture(QWidget *page, const char *objectName, const QString &picture,
                              const QString &description)
{
    auto *label = new QLabel(page);
    label->setObjectName(QLatin1String(objectName));
    label->setAccessibleName(description);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(Artwork::picture(picture, devicePixelRatioF()));
    return label;
}

void AboutTab::fill()
{
    m_about1->setText(m_context.state.ProductVersionText);
    m_about2->setText(ProductInfo::legalCopyright());
    m_about3->setText(ProductInfo::legalNotice());
}
