#include "online/store_state.h"

namespace net {

void OpenStardustStore(StoreState& state, int32_t mode, const std::string& skin)
{
    state.open = true;
    state.mode = mode;
    state.skin = skin;
    state.message.clear();
    state.failed = false;
}

}  // namespace net
