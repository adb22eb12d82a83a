// A module's state block as a saved run (PROG.SAV) brings it back: any
// bytes, corrected before the module goes on with them. A corrected block
// is one the module could have reached, so correcting it again changes
// nothing. For each module on the kit.
#include "modules/lage/LageSession.h"
#include "modules/lage/LageSettings.h"
#include "modules/mfr/MfrSettings.h"
#include "modules/mfr/MfrState.h"
#include "modules/raum/RaumSettings.h"
#include "modules/raum/RaumState.h"

#include <cstdlib>
#include <cstring>

namespace {

template <typename State, typename Settings>
void Check(const uint8_t* data, size_t size, const Settings& settings)
{
    if (size < sizeof(State) + 4)
        return;
    State state;
    std::memcpy(&state, data, sizeof(State));
    uint32_t elapsed = 0;
    std::memcpy(&elapsed, data + sizeof(State), 4);
    elapsed -= elapsed % 10;
    CorrectRestoredState(state, settings, elapsed);
    State again = state;
    CorrectRestoredState(again, settings, elapsed);
    if (std::memcmp(&state, &again, sizeof(State)) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava;
    Check<mfr::MfrState>(data, size, mfr::MfrSettings{});
    Check<lage::LageState>(data, size, lage::LageSettings{});
    Check<raum::RaumState>(data, size, raum::RaumSettings{});
    return 0;
}
