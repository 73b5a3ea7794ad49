// Asks the control what a page would ask and records its events; the last line of the
// log is the report (JSON). The test puts the image's URL in the last line.
const events = [];
const answers = {};
function finish() {
  host.log(JSON.stringify({ answers: answers, events: events }));
  host.exit(0);
}
zolvex.OnLoading = function () { events.push('OnLoading'); };
zolvex.OnError = function (text) { host.log('error ' + text); host.exit(4); };
zolvex.OnBrowserEvent = function (name) {
  events.push('OnBrowserEvent ' + name);
  if (name === 'levelchanged' && answers.after) finish();
};
zolvex.OnLoaded = function (url) {
  events.push('OnLoaded');
  answers.loadedUrl = url === zolvex.Url;
  answers.levels = zolvex.GetLevelCount();
  answers.sizes = [0, 1, 2, 3, 4, 5].map(function (level) { return zolvex.GetMapWidth(level) + 'x' + zolvex.GetMapHeight(level); });
  answers.level = zolvex.GetCurrentLevel();
  answers.viewport = [zolvex.GetViewportX(), zolvex.GetViewportY(), zolvex.GetViewportWidth(), zolvex.GetViewportHeight()];
  try {
    zolvex.ShowThumbnail = 'true';
  } catch (e) {
    answers.refusal = [e.code, e.description, e instanceof Error];
  }
  zolvex.ShowThumbnail = 'Yes';
  answers.thumbnail = zolvex.ShowThumbnail;
  answers.ports = [zolvex.KTQPort, zolvex.ProductInfo];
  answers.version = zolvex.GetBrowserProperty('version');
  answers.unknownProperty = zolvex.GetBrowserProperty('nosuchproperty');
  answers.added = zolvex.AddXMML('<XMML><rect x="10" y="10" width="50" height="50" name="box"/></XMML>');
  answers.named = zolvex.GetObjectIDByName('box');
  answers.list = zolvex.GetObjectIDList();
  answers.width = zolvex.GetObjectProperty(Number(answers.added), 'width');
  answers.removed = [zolvex.RemoveObject(Number(answers.added)), zolvex.RemoveObject(9999)];
  answers.noObject = [zolvex.GetObjectIDByName('nothing'), zolvex.GetSelectedObjectID()];
  host.setTimeout(function () {
    zolvex.MoveTo(300, 200, 4);
    answers.after = [zolvex.GetCurrentLevel(), zolvex.GetViewportX(), zolvex.GetViewportY()];
  }, 50);
};
zolvex.Url = '@URL@';
