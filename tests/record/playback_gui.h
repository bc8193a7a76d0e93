// What the playback windows' GUI tests share: every box answered, and the
// default interface solution with its background colour.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "app_state.h"
#include "gui_kit.h"
#include "helpers.h"
#include "language.h"

namespace playgui {

// No box waits for a person: a box no test expects is answered at once.
struct AnswerEveryBox : ::testing::Environment {
    std::unique_ptr<gui::MessageBoxScript> script;
    void SetUp() override { script.reset(new gui::MessageBoxScript()); }
    void TearDown() override { script.reset(); }
};

inline void UseDefaultSolution() {
    static bool done = [] {
        CInterfaceSolutions& t = CInterfaceSolutions::Instance();
        t.Build(GetModuleDirectory());
        SetCurrentSolution(t.Find("English"));
        g_skinBackColor = ReadMainSkin(*GetCurrentSolution()).backColor;
        return true;
    }();
    (void)done;
}

}  // namespace playgui

// One per test program (this header is included by one source of each).
static ::testing::Environment* const g_answerEveryBox =
    ::testing::AddGlobalTestEnvironment(new playgui::AnswerEveryBox);
