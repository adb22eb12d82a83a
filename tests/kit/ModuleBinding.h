// A test module bound through the host's own binding and sending, on an
// 800 x 600 test area, from MSG_INIT to MSG_STOP; its state block read
// through the save (or restore) message. Shared by the tests that play a
// module on the kit as the program would.
#pragma once

#include "host/core/ModuleHost.h"
#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrava::kittest {

template <typename Block> struct ModuleBinding {
    ModuleBinding(const std::string& module, uint32_t durationMs) : host(canvas)
    {
        canvas.SetDeviceContext(area.Handle());
        host.SetTestEndHandler([this] { ++ends; });
        host.Bind(module);
        EXPECT_TRUE(host.FillTestStatus(module, durationMs, 1.0));
        host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&host.Status()));
    }
    ~ModuleBinding()
    {
        host.SendModuleMessage(MSG_STOP);
        host.Unbind();
    }
    ModuleBinding(const ModuleBinding&) = delete;
    ModuleBinding& operator=(const ModuleBinding&) = delete;
    Block* State(uint32_t code = MSG_SAVESTATE)
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {};
        host.SendModuleMessage(code, cells);
        EXPECT_EQ(cells[1], sizeof(Block));
        return reinterpret_cast<Block*>(cells[0]);
    }
    TestCanvas canvas;
    gdi::Bitmap area{800, 600};
    ModuleHost host;
    int ends = 0;
};

} // namespace kestrava::kittest
