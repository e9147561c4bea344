#include "app/app_state.h"

namespace korvane {

AppState appState;

}  // namespace korvane
