#include "present/WindowRules.h"

#include "present/Forms.h"

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

namespace plok {
namespace {

TEST(WindowRules, AControlCentredInTheDesignStaysInTheMiddleAsTheWindowGrows)
{
    // The result dialog's button and the save window's radio group, at their design width and grown by even and odd
    // amounts.
    for (const auto& [control, design] :
        std::vector<std::pair<ControlId, DesignSize>> {{form::TfrmMsg::Button1, form::TfrmMsg::kSize},
            {form::TfrmSavePath::RadioGroup1, form::TfrmSavePath::kSize}}) {
        SCOPED_TRACE(control.name());
        const DesignRect r = control.rect();
        const int offCentre = 2 * r.x + r.width - design.width;
        EXPECT_EQ(rules::KeptCentredX(r.x, design.width, design.width), r.x);
        for (const int grown : {1, 2, 57, 300, 301}) {
            SCOPED_TRACE(grown);
            const int width = design.width + grown;
            const int x = rules::KeptCentredX(r.x, design.width, width);
            // As far off the middle as the design put it, give or take the half pixel of an odd growth.
            EXPECT_LE(std::abs((2 * x + r.width - width) - offCentre), 1);
        }
    }
}

TEST(WindowRules, AWindowIsCentredInItsArea)
{
    struct Case
    {
        int start, area, size, expected;
    };
    for (const Case& c :
        std::vector<Case> {{0, 1024, 348, 338}, {40, 1024, 349, 377}, {0, 300, 348, -24}, {-1920, 1920, 20, -970}}) {
        SCOPED_TRACE(c.size);
        EXPECT_EQ(rules::Centred(c.start, c.area, c.size), c.expected);
    }
}

TEST(WindowRules, ALabelGrowsToItsLineButNeverShrinks)
{
    EXPECT_EQ(rules::LabelWidth(104, 60), 104);
    EXPECT_EQ(rules::LabelWidth(104, 104), 104);
    EXPECT_EQ(rules::LabelWidth(104, 233), 233);
}

TEST(WindowRules, AMessageMayTakeNineTenthsOfTheWorkAreaRoundedAsTheSystemRounds)
{
    struct Case
    {
        int workWidth, dpi, expected;
    };
    for (const Case& c : std::vector<Case> {{800, 96, 720}, {1024, 96, 922}, {1366, 96, 1229}, {1536, 144, 922},
             {2560, 192, 1152}, {1280, 120, 922}}) {
        SCOPED_TRACE(testing::Message() << c.workWidth << " at " << c.dpi);
        EXPECT_EQ(rules::WidestMessage(c.workWidth, c.dpi), c.expected);
    }
}

TEST(WindowRules, TheResultDialogGrowsToHoldItsMessageWhole)
{
    const DesignSize design = form::TfrmMsg::kSize; // 329 x 96
    const DesignRect label = form::TfrmMsg::Label1.rect(); // 8 from the left, 17 high
    struct Case
    {
        const char* name;
        int lineWidth;
        int widest;
        int wrappedHeight;
        rules::MessageFit expected;
        int measuredAt; // the width the wrapped text was measured at, 0 for none
    };
    const std::vector<Case> cases = {
        {"a short message keeps the design", 120, 720, 0, {329, 0, 308, false}, 0},
        {"one that fills the label exactly", 313, 720, 0, {329, 0, 313, false}, 0},
        {"a longer one widens the dialog", 500, 720, 0, {516, 0, 500, false}, 0},
        {"one that just fits the screen", 704, 720, 0, {720, 0, 704, false}, 0},
        {"a longer one wraps at the screen's width", 705, 720, 51, {720, 34, 704, true}, 704},
        {"a screen narrower than the design wraps at the design", 400, 200, 34, {329, 17, 313, true}, 313},
        {"a wrapped text no taller than the label moves nothing down", 900, 720, 15, {720, 0, 704, true}, 704},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int measuredAt = 0;
        const rules::MessageFit fit = rules::FitMessage(design, label, c.lineWidth, c.widest, [&](int width) {
            measuredAt = width;
            return c.wrappedHeight;
        });
        EXPECT_EQ(fit.width, c.expected.width);
        EXPECT_EQ(fit.grownBy, c.expected.grownBy);
        EXPECT_EQ(fit.labelWidth, c.expected.labelWidth);
        EXPECT_EQ(fit.wrapped, c.expected.wrapped);
        EXPECT_EQ(measuredAt, c.measuredAt);
    }
}

} // namespace
} // namespace plok
