// Typed, bounds-checked views over every EMF record that draws or changes state.
#pragma once

#include "emf/emr_types.h"
#include "emf/records_bitmaps.h"
#include "emf/records_common.h"
#include "emf/records_objects.h"
#include "emf/records_regions.h"
#include "emf/records_shapes.h"
#include "emf/records_state.h"
#include "emf/records_text.h"
