// The one way impressions are made, shared by the virtual scanner and the
// generator program: the same finger identity and impression number always
// give the same image. The master print of the most recent finger is kept,
// because generating it costs far more than rendering an impression.
#ifndef TERVO_SYNTH_SYNTHETIC_FINGERS_H
#define TERVO_SYNTH_SYNTHETIC_FINGERS_H

#include <memory>

#include "impression.h"
#include "master_print.h"

namespace tervo::synth {

class SyntheticFingers {
  public:
    const MasterPrint& master(const FingerIdentity& identity);
    // Impressions count from 1.
    GrayImage impression(const FingerIdentity& identity, int impression,
                         Difficulty difficulty = Difficulty::Typical);

  private:
    std::unique_ptr<MasterPrint> cached_;
};

}  // namespace tervo::synth

#endif
