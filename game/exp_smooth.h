#pragma once

// Frame-rate independent easing: moves current toward target by the share 1 - exp(-rate x dt).
// A rate that is not above 0 means "no easing": the target is returned at once.
float ExpSmooth(float current, float target, float rate, float dt);
