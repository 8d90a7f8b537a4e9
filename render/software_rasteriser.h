#pragma once

// Whether the GL renderer string names one of Mesa's CPU rasterisers.
bool IsSoftwareRasteriser(const char* renderer);
