#include <string>

#include "tools/assetgen/glb_builder.h"
#include "tools/assetgen/generators.h"

// The sky settings file of the second sky preset, one "key = value" a line. It states the preset's
// values in full, so that anyone tuning the dusk sky finds every knob in one place; a line's value is
// a number, three numbers for a colour or vector, or on/off for the cloud layer.
bool GenerateSkies(const std::string& root) {
    const std::string text =
        "# Sky of the outdoor map: a dusty red dusk under a bank of clouds.\n"
        "# key = value; colours are r, g, b in 0..1; '#' starts a comment.\n"
        "\n"
        "# gradient from the horizon up\n"
        "horizon = 0.78, 0.255, 0.055\n"
        "middle = 0.46, 0.145, 0.045\n"
        "zenith = 0.155, 0.058, 0.042\n"
        "horizon_falloff = 4.2\n"
        "zenith_falloff = 2.1\n"
        "\n"
        "# sun disc and glow\n"
        "sun_size_degrees = 3.2\n"
        "sun_color = 0.95, 0.42, 0.12\n"
        "sun_edge = 0.12\n"
        "sun_glow_color = 0.95, 0.38, 0.11\n"
        "sun_glow_degrees = 42\n"
        "sun_glow_strength = 0.44\n"
        "\n"
        "# cloud layer\n"
        "clouds = on\n"
        "cloud_color = 0.17, 0.158, 0.153\n"
        "cloud_sun_color = 0.58, 0.27, 0.1\n"
        "cloud_cell_metres = 62\n"
        "cloud_bank_metres = 540\n"
        "cloud_coverage = 0.25\n"
        "cloud_contrast = 1.7\n"
        "cloud_altitude = 300\n"
        "cloud_thickness = 100\n"
        "cloud_drift = 5, 0, 2     # metres a second, x y z\n"
        "cloud_horizon_fade = 0.22\n"
        "cloud_underside = 0.75\n"
        "cloud_side_lift = 1.15\n"
        "cloud_sun_light = 0.45\n"
        "cloud_under_light = 0.55\n"
        "cloud_depth = 0.2\n"
        "\n"
        "# how the scene's light follows the sun\n"
        "sun_light_intensity = 1.15\n"
        "dusk_lift = 0.35\n"
        "dusk_color = 1.0, 0.34, 0.1\n"
        "ambient_intensity = 0.34\n"
        "ambient_from_sky = 0.75\n"
        "ground_bounce = 0.2, 0.13, 0.08\n";
    return WriteFileBytes(root + "/skies/apocalypse.txt", text.data(), text.size());
}
