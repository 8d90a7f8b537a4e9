#include <string>

#include "tools/assetgen/glb_builder.h"
#include "tools/assetgen/generators.h"

// The match server's moderator list. It lives beside the "assets" folder, where the server looks first.
// The example ranks nobody: every account line is commented out, so a fresh server gives no one
// moderator or staff rights until its operator writes names in.
bool GenerateServerFiles(const std::string& root) {
    const std::string text =
        "# Ranked accounts of this server, one a line; '#' starts a comment, letter case does not matter.\n"
        "#\n"
        "#   name              the account is a moderator (may mute, unmute and kick)\n"
        "#   mod name          the same\n"
        "#   moderator name    the same\n"
        "#   zell name         the account is staff (everything a moderator may, and more)\n"
        "#\n"
        "# A line whose first word is not one of those is a whole account name, spaces included.\n"
        "# Examples (remove the leading '#' to use them):\n"
        "# falcon\n"
        "# mod blue heron\n"
        "# zell wren\n";
    return WriteFileBytes(root + "/../moderators.txt", text.data(), text.size());
}
