#include "mainwindow/panelstack.h"

#include <cmath>

namespace varnelo {

int PanelStack::shownTextWindows() const {
    int n = 0;
    for (int i = 1; i < Count; ++i)
        n += isShown(i) ? 1 : 0;
    return n;
}

bool PanelStack::validTags(const std::array<QString, Count> &tags) {
    if (tags[0] != QLatin1String("1"))
        return false;
    std::array<bool, Count + 1> taken{};
    int shown = 0;
    for (const QString &tag : tags) {
        if (tag == QLatin1String("h"))
            continue;
        bool ok = false;
        const int place = tag.toInt(&ok);
        if (!ok || place < 1 || place > Count || taken[place])
            return false;
        taken[place] = true;
        ++shown;
    }
    for (int place = 1; place <= shown; ++place) {
        if (!taken[place])
            return false;
    }
    return true;
}

int PanelStack::panelAt(int place) const {
    for (int i = 0; i < Count; ++i) {
        if (isShown(i) && placeOf(i) == place)
            return i;
    }
    return -1;
}

std::array<int, PanelStack::Count> PanelStack::tops(int *stackHeight) const {
    std::array<int, Count> result{};
    int height = 0;
    for (int place = 1; place <= Count; ++place) {
        const int panel = panelAt(place);
        if (panel < 0)
            continue;
        result[panel] = height;
        height += heights[panel];
    }
    if (stackHeight)
        *stackHeight = height;
    return result;
}

int PanelStack::stackHeight() const {
    int height = 0;
    tops(&height);
    return height;
}

int PanelStack::tallest() const {
    // Equals are decided by place, so the window higher up the stack shrinks first.
    int best = -1;
    for (int place = 1; place <= Count; ++place) {
        const int i = panelAt(place);
        if (i >= 0 && (best < 0 || heights[i] > heights[best]))
            best = i;
    }
    return best;
}

bool PanelStack::fitHeight(int maxHeight) {
    bool shrank = false;
    for (int height = stackHeight(); height > maxHeight; height = stackHeight()) {
        const int panel = tallest();
        const int excessTwips = (height - maxHeight) * TwipsPerPixel;
        const int step = excessTwips > 50 ? 5 : 1;
        if (panel < 0 || heights[panel] - step < 1)
            break;
        heights[panel] -= step;
        shrank = true;
    }
    return shrank;
}

void PanelStack::shareHeight(int availableHeight) {
    const int count = shownTextWindows();
    if (count == 0)
        return;
    const int share = int(std::lround(double(availableHeight) / count));
    const int rest = availableHeight - count * share;
    for (int i = 1; i < Count; ++i) {
        if (isShown(i))
            heights[i] = share + (i == 1 ? rest : 0);
    }
}

void PanelStack::moveUp(int panel) {
    if (!isShown(panel) || placeOf(panel) <= 2)
        return;
    const int other = panelAt(placeOf(panel) - 1);
    if (other > 0)
        std::swap(tags[panel], tags[other]);
}

void PanelStack::moveDown(int panel) {
    if (!isShown(panel) || placeOf(panel) >= Count)
        return;
    const int other = panelAt(placeOf(panel) + 1);
    if (other > 0)
        std::swap(tags[panel], tags[other]);
}

void PanelStack::hide(int panel) {
    if (panel < 1 || !isShown(panel))
        return;
    const int place = placeOf(panel);
    tags[panel] = QStringLiteral("h");
    for (int i = 0; i < Count; ++i) {
        if (isShown(i) && placeOf(i) > place)
            tags[i] = QString::number(placeOf(i) - 1);
    }
}

void PanelStack::show(int panel) {
    if (panel < 1 || isShown(panel))
        return;
    tags[panel] = QString::number(shownTextWindows() + 2);
}

}  // namespace varnelo
