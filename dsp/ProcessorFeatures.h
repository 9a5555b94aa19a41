#pragma once

// What the processor we run on offers beyond the baseline instruction set,
// for the loops that exist in more than one copy (the FFT, the convolver,
// the spring's allpass cascades, the amplifier stages' maths): each module
// builds a wider copy in a file of its own and picks it with these. Asked
// once, on first use (safe from static initialisers and from any thread);
// false where the compiler or the processor cannot answer.
bool processorHasAvx2() noexcept;
bool processorHasFma() noexcept;
