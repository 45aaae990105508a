#include "controls/frmTip.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace
{
// Width of the thin border drawn around the balloon; the labels lie inside it.
constexpr int pxBorder = 1;
constexpr double dblTipPointSize = 8.25;
} // namespace

frmTip::frmTip(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("frmTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);

    QPalette palTip = palette();
    palTip.setColor(QPalette::Window, Qt::white);
    setPalette(palTip);

    m_pimgTitle = new QLabel(this);
    m_pimgTitle->setObjectName(QStringLiteral("imgTitle"));
    m_pimgTitle->setPixmap(QPixmap::fromImage(TitlePicture()));
    m_pimgTitle->setScaledContents(true);

    QFont fntTitle = font();
    fntTitle.setPointSizeF(dblTipPointSize);
    fntTitle.setBold(true);
    m_plblCaption = new QLabel(this);
    m_plblCaption->setObjectName(QStringLiteral("lblCaption"));
    m_plblCaption->setAlignment(Qt::AlignCenter);
    m_plblCaption->setFont(fntTitle);

    QFont fntText = font();
    fntText.setPointSizeF(dblTipPointSize);
    m_plblText = new QLabel(this);
    m_plblText->setObjectName(QStringLiteral("lblText"));
    m_plblText->setAlignment(Qt::AlignCenter);
    m_plblText->setWordWrap(true);
    m_plblText->setFont(fntText);

    // Where the labels sit before the first Init: the title across the top, the text below it.
    m_pimgTitle->setGeometry(pxBorder, pxBorder, pxTitleWidth, pxTitleHeight);
    m_plblCaption->setGeometry(pxBorder, pxBorder, pxTitleWidth, pxTitleHeight);
    m_plblText->move(pxBorder, pxBorder + pxTitleHeight);
}

frmTip::~frmTip() = default;

void frmTip::Init(const QString& strTitle, const QString& strCaption, int pxWidth, int pxHeight)
{
    const int pxOuterWidth = std::max(pxWidth, 2 * pxBorder + 1);
    const int pxOuterHeight = std::max(pxHeight, 2 * pxBorder + 1);
    const int pxInnerWidth = pxOuterWidth - 2 * pxBorder;
    const int pxInnerHeight = pxOuterHeight - 2 * pxBorder;

    m_pxTitleHeight = std::max<int>(pxTitleHeight, QFontMetrics(m_plblCaption->font()).height() + 2);
    m_plblCaption->setText(strTitle);
    m_plblText->setText(strCaption);

    // The body is centred in the space below the title picture; the balloon grows to hold it.
    const int pxWanted = m_plblText->heightForWidth(pxInnerWidth);
    const int pxTextHeight = pxWanted < 0 ? m_plblText->sizeHint().height() : pxWanted;
    const int pxBelowTitle = std::max(pxInnerHeight - m_pxTitleHeight, pxTextHeight + 2);
    const int pxTextTop = (pxBelowTitle - pxTextHeight) / 2 + m_pxTitleHeight;
    resize(pxOuterWidth, std::max(pxOuterHeight, pxBelowTitle + m_pxTitleHeight + 2 * pxBorder));
    m_pimgTitle->setGeometry(pxBorder, pxBorder, pxInnerWidth, m_pxTitleHeight);
    m_plblCaption->setGeometry(pxBorder, pxBorder, pxInnerWidth, m_pxTitleHeight);
    m_plblText->setGeometry(pxBorder, pxBorder + pxTextTop, pxInnerWidth, std::max(pxTextHeight, 0));
}

void frmTip::SetTipFont(const QFont& fntTip)
{
    QFont fntTitle = fntTip;
    fntTitle.setBold(true);
    m_plblCaption->setFont(fntTitle);
    m_plblText->setFont(fntTip);
}

QImage frmTip::TitlePicture()
{
    QImage imgTitle(pxTitleWidth, pxTitleHeight, QImage::Format_RGB32);
    QPainter painter(&imgTitle);

    // A pale blue bar, lighter at the top, with a bright upper edge and a darker lower edge, so
    // that a bold black title reads well on it at any width.
    QLinearGradient grdBar(0, 0, 0, pxTitleHeight);
    grdBar.setColorAt(0.0, QColor(0xEE, 0xF4, 0xFC));
    grdBar.setColorAt(0.5, QColor(0xC6, 0xDA, 0xF2));
    grdBar.setColorAt(1.0, QColor(0xA4, 0xC2, 0xE8));
    painter.fillRect(imgTitle.rect(), grdBar);

    // A faint sheen that fades out towards the right end.
    QLinearGradient grdSheen(0, 0, pxTitleWidth, 0);
    grdSheen.setColorAt(0.0, QColor(255, 255, 255, 90));
    grdSheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(QRect(0, 1, pxTitleWidth, pxTitleHeight / 2), grdSheen);

    painter.setPen(QColor(0xFF, 0xFF, 0xFF));
    painter.drawLine(0, 0, pxTitleWidth - 1, 0);
    painter.setPen(QColor(0x7A, 0x9C, 0xC8));
    painter.drawLine(0, pxTitleHeight - 1, pxTitleWidth - 1, pxTitleHeight - 1);
    return imgTitle;
}

void frmTip::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
