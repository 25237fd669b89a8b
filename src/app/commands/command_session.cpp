#include "app/commands/command_session.h"

#include "modelling/build_gear_drawing.h"

namespace kelvo {

void CommandSession::Remember(const GearDrawing& made) {
  cadDoc = made.cadDoc;
  blankSolid = made.blankSolid;
}

}  // namespace kelvo
