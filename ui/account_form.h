#pragma once
// What the player types on the sign-in screen, owned by the caller so that it outlives the frame
// and the screen's views.
#include <cstdint>
#include <string>

namespace menu {

struct AccountForm {
    bool createMode = false;  // false the sign-in form, true the account-creation form
    std::string login;        // username or e-mail, for signing in
    std::string password;
    std::string email;
    std::string username;
    std::string screenName;
    std::string code;  // the e-mailed confirmation code
    // The screen's own memory, which clearing leaves alone: the view drawn while the client was
    // last idle (-1 none yet), kept on screen while a request runs; and whether the request
    // running is the browser sign-in this screen asked for.
    int32_t shownView = -1;
    bool browserSignIn = false;
};

// Empties the six texts; create mode stays.
inline void ClearAccountForm(AccountForm& form)
{
    form.login.clear();
    form.password.clear();
    form.email.clear();
    form.username.clear();
    form.screenName.clear();
    form.code.clear();
}

}  // namespace menu
