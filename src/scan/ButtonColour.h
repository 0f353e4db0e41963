#pragma once

namespace testloop {

// The only background colours a device button is ever given; mapped to real colours in ui/.
enum class ButtonColour {
    ButtonFace, // no state shown
    Red, // fault, test failed, verification failed
    Yellow, // analogue value out of range
    Green, // in range, test passed, verification passed
    White, // current draw out of range: address conflict
    LightGrey, // readings cleared
};

} // namespace testloop
