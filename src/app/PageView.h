#pragma once

#include <QTextEdit>

class RouterBrowser;

// The window's browser area: a read-only rich-text rendering of the page the run's browser has
// just completed. Router pages are shown as they are, but nothing they refer to is ever fetched
// or read (no pictures, style sheets or local files), so a page cannot make the window load
// anything.
class PageView : public QTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageView)

public:
    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // Renders the engine's current page.
    void ShowPage(const RouterBrowser& engine);
    void ShowHtml(const QString& strHtml);
    // Empties the view (a new run's browser starts blank).
    void ClearPage();

    QString ShownUrl() const { return m_strShownUrl; }
    int PagesShown() const { return m_intPagesShown; }

    QVariant loadResource(int type, const QUrl& name) override;

private:
    QString m_strShownUrl;
    int m_intPagesShown = 0;
};
