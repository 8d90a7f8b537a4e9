// Placeholder bodies until the worker pool, combat rig and roles land; removed by that change.
#include "net/server.h"
namespace net {
WorkerPool::WorkerPool(int) {}
WorkerPool::~WorkerPool() {}
void WorkerPool::Run(int count, const std::function<void(int)>& job) { for (int i = 0; i < count; ++i) job(i); }
const char* RoleTag(uint8_t) { return ""; }
uint8_t ParseRole(const std::string&) { return 0; }
std::vector<RankedAccount> Server::LoadModerators(const std::string&) { return {}; }
uint8_t Server::RankOf(const std::string&) const { return 0; }
bool Server::LoadCombatRig(CombatRig&, const tune::Tuning&) { return false; }
void Server::BindAnimator(CombatPose&, const CombatRig*, const tune::Tuning*) {}
void Server::ResetAnimator(CombatPose&) {}
void Server::AdvanceAnimation(CombatPose&, const PlayerState&, float) {}
PosedVolumeHit Server::RaycastPosedVolumes(const PosedSet&, const glm::vec3&, const glm::vec3&, float) { return {}; }
}  // namespace net
