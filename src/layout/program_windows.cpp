#include "layout/program_windows.h"

namespace {

std::vector<LayoutRow> RowsOf(const WindowLayout& layout) {
  return std::vector<LayoutRow>(layout.controls, layout.controls + layout.controlCount);
}

WindowLayout WithRows(WindowLayout layout, const std::vector<LayoutRow>& rows, const char* title) {
  layout.controls = rows.data();
  layout.title = title;
  return layout;
}

}  // namespace

ProgramLayouts::ProgramLayouts(const BuildTexts& texts)
    : mainTitle_(std::string(kMainWindowLayout.title) + texts.makerAddress),
      notes_(std::string(main_layout::kNotesLead) + texts.makerAddress),
      makerLink_("http://" + texts.makerAddress),
      makerLinkTarget_(makerLink_ + "/"),
      microblogUrl_(texts.microblogUrl),
      makerPage_(texts.makerPage),
      mainRows_(RowsOf(kMainWindowLayout)),
      updateRows_(RowsOf(kUpdateWindowLayout)) {
  mainRows_[static_cast<size_t>(MainCtl::标签24)].text = notes_.c_str();
  mainRows_[static_cast<size_t>(MainCtl::超级链接框1)].target = microblogUrl_.c_str();
  mainRows_[static_cast<size_t>(MainCtl::超文本浏览框1)].text = makerPage_.c_str();
  LayoutRow& link = updateRows_[static_cast<size_t>(UpdateCtl::超级链接框1)];
  link.text = makerLink_.c_str();
  link.target = makerLinkTarget_.c_str();
  main_ = WithRows(kMainWindowLayout, mainRows_, mainTitle_.c_str());
  update_ = WithRows(kUpdateWindowLayout, updateRows_, kUpdateWindowLayout.title);
  layouts_ = {&main_, &update_, &kPickerWindowLayout};
}
