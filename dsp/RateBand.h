#pragma once

// The bands of host sample rates that the blocks tune themselves for. Each
// band is named after the rate it is designed at; a rate belongs to the band
// whose limit it stays below:
//
//   44.1 kHz  below 46000 Hz         96 kHz     below 136000 Hz
//   48 kHz    below 68000 Hz         176.4 kHz  below 184200 Hz
//   88.2 kHz  below 92000 Hz         192 kHz    from 184200 Hz on
//
// The 68000 Hz limit also divides the single rates (44.1, 48 kHz) from the
// double and higher ones. Most blocks compare with "below"; the convolver
// size of the cabinet and user-response stages counts 68000 Hz itself as a
// single rate ("upTo"). The two comparisons differ only at the limit itself.
namespace RateBand {

inline constexpr float kLimit44k1 = 46000.0f;  // upper limit of the 44.1 kHz band
inline constexpr float kLimit48k = 68000.0f;   // upper limit of the 48 kHz band and of the single rates
inline constexpr float kLimit88k2 = 92000.0f;  // upper limit of the 88.2 kHz band
inline constexpr float kLimit96k = 136000.0f;  // upper limit of the 96 kHz band
inline constexpr float kLimit176k4 = 184200.0f; // upper limit of the 176.4 kHz band

// The rate lies below the limit (the limit itself belongs to the next band).
constexpr bool below(float rate, float limit) noexcept { return rate < limit; }
// The rate lies below the limit or on it.
constexpr bool upTo(float rate, float limit) noexcept { return rate <= limit; }

} // namespace RateBand
