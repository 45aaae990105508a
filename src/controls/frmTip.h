#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;

// The balloon of the tooltip control: a bare white pop-up with a thin border, a title picture
// across the top with the title over it, and the body text centred in the space below. It never
// takes the focus from the window under it.
class frmTip : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmTip)

public:
    static constexpr int pxTitleWidth = 123;
    static constexpr int pxTitleHeight = 15;

    explicit frmTip(QWidget* parent = nullptr);
    ~frmTip() override;

    // Lays the balloon out for a title, a body text and a size in pixels (border included).
    // A body that needs more room than the size leaves grows the balloon downwards, and a title
    // face taller than the picture makes the title bar taller.
    void Init(const QString& strTitle, const QString& strCaption, int pxWidth, int pxHeight);
    // The face of the body text at its size, and of the title in bold.
    void SetTipFont(const QFont& fntTip);

    // The 123 x 15 picture behind the title, stretched to the balloon's width when shown.
    static QImage TitlePicture();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_pimgTitle = nullptr;
    QLabel* m_plblCaption = nullptr;
    QLabel* m_plblText = nullptr;
    int m_pxTitleHeight = pxTitleHeight;
};
