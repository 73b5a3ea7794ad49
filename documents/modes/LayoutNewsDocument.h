#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "documents/KeyHook.h"
#include "documents/MouseHook.h"
#include "documents/PublicationDocument.h"
#include "documents/XmlReader.h"
#include "documents/modes/PageModeHooks.h"
#include "platform/Geometry.h"

namespace zolvex {

class CComponentRect;

// One page of a layout-news publication: its rectangle in full-resolution pixels, whether
// it holds a left and a right page side by side, and the level it is read at (an index).
struct LayoutPage {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool twoPage = false;
  int mainLevel = -1;

  int PrintedPages() const { return twoPage ? 2 : 1; }
};

// A newspaper whose pages lie freely on one image (a grid of page scans, say), each with
// the level it is read best at. In the overview the page under the pointer is outlined; a
// click flies to it and locks the view onto it, arrows at the window's edges step to the
// previous and next page, and zooming back out unlocks. The printing code asks which
// rectangle each printed page covers.
class LayoutNewsDocument : public PublicationDocument, public MouseHook, public KeyHook {
 public:
  // The width of the previous-page and next-page arrows at the window's edges.
  static constexpr int kArrowWidth = 20;

  // Wraps the markup document; reads the pages of its "news" section.
  LayoutNewsDocument(DocumentHost& host, std::unique_ptr<MapDocument> inner);
  ~LayoutNewsDocument() override;

  void Activate() override;
  void Deactivate() override;
  std::string GetParam(const std::string& name) override;
  bool HandleCommand(const std::string& name, const std::string& argument) override;
  bool ComputeZoomArea(int& x, int& y, int& width, int& height) override;

  bool OnLButtonDown(int x, int y, std::uint64_t time) override;
  bool OnLButtonUp(int x, int y, std::uint64_t time) override;
  bool OnRButtonDown(int x, int y, std::uint64_t time) override;
  bool OnRButtonUp(int x, int y, std::uint64_t time) override;
  bool OnKeyDown(int, int, unsigned, std::uint64_t) override { return false; }

  const std::vector<LayoutPage>& Pages() const { return pages_; }
  bool IsLocked() const { return locked_; }
  // The page under the pointer or the locked page (index), -1 for none.
  int HoveredPage() const { return hovered_; }
  CComponentRect* PreviousArrow() const { return previousArrow_; }
  CComponentRect* NextArrow() const { return nextArrow_; }

 private:
  void ReadPages();
  void AddPage(LayoutPage page);
  void AddGrid(const XmlReader& reader);
  int PageLevel(const std::string& attribute) const;
  void MakeArrows();
  CComponentRect* MakeArrow(int x, const std::string& link);

  // The page's rectangle in window pixels at the current level.
  platform::Rect WindowRect(const LayoutPage& page);
  int PrintedPagesBefore(int index) const;
  int PrintPageCount() const;
  int LargestPageOnScreen();
  int CurrentPrintPage();
  std::string PrintedPageRect(int printed);
  std::string PageRecord(int index) const;

  void LockOnto(int index);
  void GoToPage(int index);
  bool ZoomOutOfPage();
  void Unlock();
  bool StepPage(bool next);
  bool PanToView(const std::string& argument);
  void PostLocked(const std::string& page);
  void ShowArrows(int index);

  DocumentHost& host_;
  std::vector<LayoutPage> pages_;
  int defaultLevel_ = -1;
  int selectionLimit_ = 1;
  bool locked_ = false;
  int hovered_ = -1;
  int pointerPrintPage_ = 0;
  CComponentRect* previousArrow_ = nullptr;
  CComponentRect* nextArrow_ = nullptr;
  platform::Point leftPress_{-100, -100};
  platform::Point rightPress_{-100, -100};
  bool leftHeld_ = false;
  PageModeHooks hooks_;
};

}  // namespace zolvex
