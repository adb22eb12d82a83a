// A headless application on a virtual clock, with helpers that script
// input the way a person acts and run the loop until it has been handled.
#pragma once

#include "platform/app/Application.h"
#include "platform/app/Controls.h"
#include "platform/app/ManualClock.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace kestrava::app::testing {

class AppTest : public ::testing::Test {
protected:
    AppTest() : backend(320, 240), app(backend, clock)
    {
        std::string error;
        EXPECT_TRUE(app.Open(error)) << error;
        Pump();
    }

    // Delivers everything scripted so far and paints.
    void Pump() { app.Loop().RunPending(); }

    void Click(int32_t x, int32_t y)
    {
        backend.PushClick(x, y);
        Pump();
    }
    void Move(int32_t x, int32_t y)
    {
        backend.PushMouseMove(x, y);
        Pump();
    }
    void Type(std::string_view text)
    {
        for (char c : text)
            backend.PushChar(static_cast<uint8_t>(c));
        Pump();
    }
    void Key(uint32_t vk)
    {
        backend.PushKey(vk);
        Pump();
    }

    // Places a child of parent (the form when null).
    template <class T>
    T& Place(T& control, int32_t x, int32_t y, int32_t w, int32_t h, Control* parent = nullptr)
    {
        control.SetBounds(x, y, w, h);
        control.SetParent(parent != nullptr ? parent : &app.MainForm());
        return control;
    }

    ManualClock clock{1000};
    HeadlessBackend backend;
    Application app;
};

} // namespace kestrava::app::testing
