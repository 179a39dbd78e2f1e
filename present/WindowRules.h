#pragma once

#include "present/ControlId.h"

#include <algorithm>

/// The arithmetic of the windows' layouts, the same for both front ends: each toolkit only measures text and screens
/// and places what these functions decide.
namespace plok::rules {

/// Where a window `size` long starts when centred in an area from `areaStart`, `areaSize` long (either axis).
constexpr int Centred(int areaStart, int areaSize, int size)
{
    return areaStart + (areaSize - size) / 2;
}

/// Where a control stands that the design put at `designX` in a window `designWidth` wide, now that the window is
/// `width` wide: anchored to the top edge alone, it moves by half the change and keeps its place in the middle.
constexpr int KeptCentredX(int designX, int designWidth, int width)
{
    return designX + (width - designWidth) / 2;
}

/// How wide a label is drawn whose one line of text is `textWidth` wide: as wide as its text, never below its design.
constexpr int LabelWidth(int designWidth, int textWidth)
{
    return std::max(designWidth, textWidth);
}

/// The widest a message may make its dialog, in design pixels: nine tenths of the monitor's work area, `workWidth`
/// pixels at `dpi`, rounded as the system rounds.
constexpr int WidestMessage(int workWidth, int dpi)
{
    return (workWidth * 96 * 9 + dpi * 5) / (dpi * 10);
}

/// How a dialog grows to hold its message label whole.
struct MessageFit
{
    int width; // the client area's width
    int grownBy; // what the client area and every control below the label move down by
    int labelWidth; // the label's width: its one line, or the width it wraps at
    bool wrapped; // the message wraps at labelWidth
};

/// A dialog of `design` size whose message label the design puts at `label` (as far from the left edge as the right
/// edge should be) grows to hold its text of `lineWidth` on one line, while that fits in `widest`; else it is `widest`
/// wide (never below the design) and the text wraps at the label's room, `heightAt(width)` measuring the wrapped
/// text's height. Never smaller than the design.
template<class HeightAt>
MessageFit FitMessage(DesignSize design, DesignRect label, int lineWidth, int widest, HeightAt heightAt)
{
    const int margin = label.x;
    const int needed = margin + lineWidth + margin;
    const int most = std::max(design.width, widest);
    if (needed <= most)
        return {std::max(design.width, needed), 0, LabelWidth(label.width, lineWidth), false};
    const int room = most - 2 * margin;
    return {most, std::max(0, heightAt(room) - label.height), room, true};
}

} // namespace plok::rules
