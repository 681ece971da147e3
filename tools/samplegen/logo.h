// The laboratory's logo, drawn pixel by pixel: a blue disc with a white cross and a drop.
#pragma once

#include "emf/emf_writer.h"

namespace samplegen {

qrp::emf::Dib24 LaboratoryLogo();

}  // namespace samplegen
