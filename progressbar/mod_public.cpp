#include "mod_public.h"

#include <memory>

#include "frm_about.h"

namespace modPublic {

void ShowAboutBox() {
  // Each call creates its own window and releases it when it closes.
  auto about = std::make_unique<frmAbout>();
  about->exec();
}

}  // namespace modPublic
