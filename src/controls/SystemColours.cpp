#include "controls/SystemColours.h"

#include "controls/GradientDrawing.h"

#include <QPalette>

namespace
{
struct RoleEntry
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Index by index: scroll bar, desktop, active caption, inactive caption, menu, window background,
// window frame, menu text, window text, caption text, active border, inactive border, workspace,
// selection, selected text, button face, button shadow, grey text, button text, inactive caption
// text, button highlight, dark 3-D shadow, 3-D light, tooltip text, tooltip background, (unused),
// hot-track link, active caption gradient, inactive caption gradient, menu selection, menu bar.
constexpr RoleEntry arrRoles[] = {
    { QPalette::Active, QPalette::Button },
    { QPalette::Active, QPalette::Dark },
    { QPalette::Active, QPalette::Highlight },
    { QPalette::Inactive, QPalette::Mid },
    { QPalette::Active, QPalette::Window },
    { QPalette::Active, QPalette::Base },
    { QPalette::Active, QPalette::Shadow },
    { QPalette::Active, QPalette::WindowText },
    { QPalette::Active, QPalette::Text },
    { QPalette::Active, QPalette::HighlightedText },
    { QPalette::Active, QPalette::Button },
    { QPalette::Inactive, QPalette::Button },
    { QPalette::Active, QPalette::Mid },
    { QPalette::Active, QPalette::Highlight },
    { QPalette::Active, QPalette::HighlightedText },
    { QPalette::Active, QPalette::Button },
    { QPalette::Active, QPalette::Dark },
    { QPalette::Disabled, QPalette::Text },
    { QPalette::Active, QPalette::ButtonText },
    { QPalette::Inactive, QPalette::WindowText },
    { QPalette::Active, QPalette::Light },
    { QPalette::Active, QPalette::Shadow },
    { QPalette::Active, QPalette::Midlight },
    { QPalette::Active, QPalette::ToolTipText },
    { QPalette::Active, QPalette::ToolTipBase },
    { QPalette::NColorGroups, QPalette::NoRole },
    { QPalette::Active, QPalette::Link },
    { QPalette::Active, QPalette::Highlight },
    { QPalette::Inactive, QPalette::Mid },
    { QPalette::Active, QPalette::Highlight },
    { QPalette::Active, QPalette::Window },
};
constexpr quint32 lngRoleCount = sizeof(arrRoles) / sizeof(arrRoles[0]);
} // namespace

namespace SystemColours
{
bool IsSystemColour(quint32 lngValue)
{
    return (lngValue >> 24) == 0x80;
}

QColor SystemColour(quint32 lngIndex, const QPalette& palette)
{
    if (lngIndex >= lngRoleCount || arrRoles[lngIndex].role == QPalette::NoRole)
        return QColor(Qt::black);
    return palette.color(arrRoles[lngIndex].group, arrRoles[lngIndex].role);
}

quint32 TranslateColour(quint32 lngValue, const QPalette& palette)
{
    if (!IsSystemColour(lngValue))
        return lngValue;
    return GradientDrawing::RgbToColour(SystemColour(lngValue & 0x7FFFFFFF, palette).rgb());
}
} // namespace SystemColours
