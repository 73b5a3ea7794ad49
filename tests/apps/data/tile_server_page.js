// A page script that drives the control over a tile server; the test puts the image's URL in the last line.
// The native page-script test and the browser test run it unchanged.
const seen = [];
let moved = false;
zolvex.OnBrowserEvent = function (name, p1, p2) {
  seen.push(name);
  if (name === 'levelchanged' && moved) {
    host.log('levelchanged to ' + p2);
    const before = zolvex.GetObjectIDList();
    const ids = zolvex.AddXMML('<XMML><nosuchelement/><rect x="10" y="10" width="50" height="50"/></XMML>');
    const after = zolvex.GetObjectIDList();
    const added = ids === '' ? [] : ids.split(' ');
    const listed = after === '' ? [] : after.split(' ');
    const grew = listed.length - (before === '' ? 0 : before.split(' ').length);
    if (added.length !== 1 || grew !== 1 || !listed.includes(added[0])) host.exit(5);
    host.log('added [' + ids + ']');
    host.exit(0);
  }
};
zolvex.OnError = function (text) { host.log('error ' + text); host.exit(4); };
zolvex.OnLoaded = function (url) {
  const count = zolvex.GetLevelCount();
  const sizes = [];
  for (let level = 1; level <= count; ++level) sizes.push(zolvex.GetMapWidth(level) + 'x' + zolvex.GetMapHeight(level));
  host.log('loaded ' + count + ' ' + sizes.join(' ') + ' outside ' + zolvex.GetMapWidth(0) + ' ' + zolvex.GetMapWidth(count + 1));
  host.setTimeout(function () {
    moved = true;
    zolvex.MoveTo(300, 200, zolvex.GetCurrentLevel() === 3 ? 4 : 3);
    host.log('at ' + zolvex.GetViewportX() + ',' + zolvex.GetViewportY() + ' level ' + zolvex.GetCurrentLevel());
  }, 50);
};
zolvex.Url = '@URL@';
