#include "client/rising_sparks.h"

#include "client/rand01.h"
#include "render/effects.h"

RisingSparkLook EmberLook(const tune::FlameTuning& flame)
{
    RisingSparkLook look;
    look.firstColour = glm::vec3(flame.hotColour[0], flame.hotColour[1], flame.hotColour[2]);
    look.secondColour = glm::vec3(flame.coolColour[0], flame.coolColour[1], flame.coolColour[2]);
    look.size = flame.lookValues[0];
    look.intensity = flame.lookValues[1];
    look.lifetime = flame.lookValues[2];
    look.growthValue = flame.lookValues[3];
    return look;
}

void SpawnRisingSparks(Effects& effects, const glm::vec3& origin, float height, const RisingSparkLook& look,
                       int count)
{
    for (int i = 0; i < count; ++i) {
        // One fresh draw per term, in the order they are written.
        const float px = Rand01();
        const float py = Rand01();
        const float pz = Rand01();
        const glm::vec3 position(origin.x + (px - 0.5f) * 0.55f, origin.y + py * height, origin.z + (pz - 0.5f) * 0.55f);
        const float vx = Rand01();
        const float vy = Rand01();
        const float vz = Rand01();
        const glm::vec3 velocity((vx - 0.5f) * 0.7f, vy * 1.3f + 1.1f, (vz - 0.5f) * 0.7f);
        const float mix = Rand01();
        const glm::vec3 colour = look.firstColour + (look.secondColour - look.firstColour) * mix;
        const float life = (Rand01() * 0.6f + 0.7f) * look.lifetime;
        effects.Spawn(position, velocity, colour, look.intensity, look.size, 0.35f * look.growthValue, 1.6f, life);
    }
}
