#include "app/PageView.h"

#include "run/RouterBrowser.h"

#include <QTextDocument>

namespace
{
// A document that resolves no resource at all. The plain text document would read local files
// named by a page (a picture at file:///dev/zero would never finish loading).
class InertDocument : public QTextDocument
{
public:
    explicit InertDocument(QObject* parent)
        : QTextDocument(parent)
    { }

protected:
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};
} // namespace

PageView::PageView(QWidget* parent)
    : QTextEdit(parent)
{
    setDocument(new InertDocument(this));
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::StyledPanel);
}

PageView::~PageView() = default;

QVariant PageView::loadResource(int, const QUrl&)
{
    return QVariant();
}

void PageView::ShowPage(const RouterBrowser& engine)
{
    m_strShownUrl = engine.CurrentUrl();
    ShowHtml(engine.BodyHtml());
}

void PageView::ShowHtml(const QString& strHtml)
{
    setHtml(strHtml);
    ++m_intPagesShown;
}

void PageView::ClearPage()
{
    m_strShownUrl.clear();
    clear();
}
