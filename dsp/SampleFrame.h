#pragma once

// The one sample slot that the signal chain driver hands to every block in
// turn. A block's process() reads `value` and overwrites it with its output.
struct SampleFrame {
    double value = 0.0;
};
