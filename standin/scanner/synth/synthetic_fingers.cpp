#include "synthetic_fingers.h"

namespace tervo::synth {

const MasterPrint& SyntheticFingers::master(const FingerIdentity& identity) {
    if (!cached_ || cached_->identity.seed != identity.seed || cached_->identity.finger != identity.finger)
        cached_ = std::make_unique<MasterPrint>(generateMasterPrint(identity));
    return *cached_;
}

GrayImage SyntheticFingers::impression(const FingerIdentity& identity, int impression,
                                       Difficulty difficulty) {
    return renderImpression(master(identity), planImpression(identity, impression, difficulty));
}

}  // namespace tervo::synth
