#pragma once

namespace modPublic {

// Shows a fresh About window modally and returns when it has been closed.
void ShowAboutBox();

}  // namespace modPublic
