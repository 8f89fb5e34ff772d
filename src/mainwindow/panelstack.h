#pragma once

#include <QString>

#include <array>

namespace varnelo {

// The window's five panels stacked top to bottom: 0 the main panel, 1 the Arabic window, 2-4 the
// translation windows. A panel's tag is its place ("1" to "5") or "h" when hidden; sizes are in
// pixels.
class PanelStack {
public:
    static constexpr int Count = 5;
    static constexpr int TwipsPerPixel = 15;
    // Height below which a text window is not dragged or shrunk.
    static constexpr std::array<int, Count> MinimumHeight = {0, 126, 66, 66, 66};

    std::array<QString, Count> tags = {"1", "2", "3", "4", "5"};
    std::array<int, Count> heights = {140, 300, 150, 150, 150};
    int width = 760;

    bool isShown(int panel) const { return tags[panel] != QLatin1String("h"); }
    int shownTextWindows() const;

    // True when tags form a stack: panel 0 at place 1, shown panels at places 1..n without gaps or
    // repeats, the others "h". Stored tags that do not are replaced by the default stack.
    static bool validTags(const std::array<QString, Count> &tags);

    // The top of every panel for the current tags, and the stack's height.
    std::array<int, Count> tops(int *stackHeight = nullptr) const;
    int stackHeight() const;
    // The shown panel with the greatest height (of equals, the one higher in the stack).
    int tallest() const;

    // Shrinks the tallest panel step by step (5 pixels while the stack is more than 50 twips too
    // tall, then 1) until the stack is at most maxHeight pixels. Returns whether it shrank; stops
    // when no panel can shrink further.
    bool fitHeight(int maxHeight);
    // Fit-screen: every shown text window gets an equal share of what the main panel leaves of
    // availableHeight, the Arabic window also the rounding rest.
    void shareHeight(int availableHeight);

    // The window commands of a text window: move up or down one place, hide (closing the gap).
    void moveUp(int panel);
    void moveDown(int panel);
    void hide(int panel);
    // Shows a hidden text window at the bottom of the stack.
    void show(int panel);

private:
    int placeOf(int panel) const { return tags[panel].toInt(); }
    int panelAt(int place) const;
};

}  // namespace varnelo
