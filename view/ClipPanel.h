#pragma once
#include <memory>
#include <string>
#include <vector>

#include "objects/MapObject.h"

namespace zolvex {

class MapDocument;
class MapView;

// Clip editing: the small button panel over the document, the grey masks, arrows and texts
// it adds inside the clip frame, and the clip string that describes the clip as XMML.
class ClipPanel : public ObjectListener {
 public:
  static constexpr platform::Color kMaskColor = platform::MakeColor(100, 100, 100);
  static constexpr int kMaskOpacity = 200;
  static constexpr int kAddedLayer = 9;
  static constexpr int kPanelLayer = 10;

  explicit ClipPanel(MapView& view);
  ~ClipPanel() override;

  // Makes the panel for a newly opened document; it joins the document, not selectable,
  // when clip editing first shows it. Objects added for another document went with it.
  void Bind(MapDocument& document);
  // The view closed its document: the panel and the added objects are gone with it.
  void Unbind();
  // Shows the panel and the clip frame, or leaves clip editing as "clipdel" does.
  void SetClipMode(bool on);
  // A button's command or one the view passes on ("clipout", "clipline", "cliptext",
  // "clipdel", "clipsave", "externallink"); others do nothing. Answers whether it was one.
  bool Notify(const std::string& name);
  void OnObjectMouse(MapObject& object, const std::string& notification, unsigned flags,
                     platform::Point point) override;

  // "<xmml> <param name="limit" value="L,T-R,B"/> <clip> </clip> <body> <basemap> ..." with
  // the added objects' elements in the order they were made.
  std::string GetClipString() const;
  const std::vector<MapObject*>& AddedObjects() const { return added_; }
  MapObject* PanelObject() const { return Bound() ? panel_ : nullptr; }

 private:
  bool Bound() const;
  void AddMask();
  void AddArrow();
  void AddText();
  void Close();
  void Add(std::unique_ptr<MapObject> object);
  // Screen pixels at the current level as content units (truncated).
  int ContentX(int pixels) const;
  int ContentY(int pixels) const;

  MapView& view_;
  MapDocument* document_ = nullptr;
  MapObject* panel_ = nullptr;          // owned by document_, or by pendingPanel_ until shown
  std::unique_ptr<MapObject> pendingPanel_;
  std::vector<MapObject*> added_;       // owned by document_
};

}  // namespace zolvex
