#include "client/update_actions.h"

#include "ui/update_screen.h"

namespace {

// Past the update screen: the sign-in screen when there is an account service, else the title.
void LeaveUpdateScreen(ClientApp& app)
{
    app.join.screen = app.account.enabled ? Screen::SignIn : Screen::Title;
}

}  // namespace

void StartUpdateCheck(ClientApp& app)
{
    if (app.accountHost.empty()) {
        return;
    }
    app.updater.CheckForUpdate(app.accountHost, app.accountPort, app.accountKey);
}

void RunUpdaterPrimary(ClientApp& app, net::Updater::State state)
{
    using State = net::Updater::State;
    switch (state) {
    case State::Available:
        app.updater.Download();
        break;
    case State::Ready:
        if (app.updater.Install()) {
            app.window.RequestClose();
        }
        break;
    case State::Failed:
        StartUpdateCheck(app);
        break;
    default:
        break;
    }
}

void RunUpdateScreen(ClientApp& app)
{
    using State = net::Updater::State;
    const net::Updater::Status status = app.updater.GetStatus();
    if (status.state >= State::Available && status.state <= State::Ready) {
        app.loop.updateRequired = true;
    }
    if (status.state == State::UpToDate) {
        LeaveUpdateScreen(app);
        return;
    }
    switch (menu::DrawUpdateScreen(app.ui, status, app.loop.updateRequired)) {
    case menu::kUpdatePrimary:
        RunUpdaterPrimary(app, status.state);
        break;
    case menu::kUpdateStop:
        app.updater.Cancel();
        break;
    case menu::kUpdatePlayAnyway:
        LeaveUpdateScreen(app);
        break;
    case menu::kUpdateQuit:
        app.updater.Cancel();
        app.window.RequestClose();
        break;
    default:
        break;
    }
}
