#include "documents/MessageTexts.h"

#include <iterator>

namespace zolvex {

namespace {

struct NumberedText {
  int number;
  const char* text;
};

// "zolvex" and "KTQ" are the product's own names and stay as they are in every language.
constexpr NumberedText kEnglish[] = {
    {401,
     "1. File %url not found.\r\n\r\nPossible causes:\r\n\r\n"
     "  a) The web page may have the wrong URL.\r\n"
     "  b) If the web pages is dynamically generated from a database,\r\n"
     "     then the database may contain the wrong URL.\r\n"
     "  c) The file referenced by the URL is missing on the server.\r\n"
     "  d) The HTTP port used in your web page may not match\r\n"
     "     the HTTP port used on your KTQ server.\r\n\r\n"
     "  Please contact your service provider."},
    {402,
     "2. Couldn't establish a connection to server.\r\n\r\n"
     "  a) The webpage may have the wrong URL.\r\n"
     "  b) If the web pages is dynamically generated from a database,\r\n"
     "     then the database may contain the wrong URL.\r\n"
     "  c) The server is down.\r\n"
     "  d) Your are behind a firewall and the firewall blocks connections\r\n\r\n"
     "  Please try switching to Behind Firewall mode (click on zolvex and\r\n"
     "  press Ctrl+T). If that does not help, please contact your service provider."},
    {403, "Error occurred. Disconnected.\r\n\r\nPress F5 or click on the refresh button in your web browser."},
    {404,
     "4. Out of send buffer.\r\n\r\n"
     "The requests to the KTQ server could not be queued for sending.\r\n"
     "Please close other programs that use the network and press F5\r\n"
     "or click on the refresh button in your web browser."},
    {405,
     "5. Connection broken.\r\n\r\n"
     "The connection to the KTQ server was lost.\r\n"
     "Please check your network connection and press F5 or click on the\r\n"
     "refresh button in your web browser. If the problem persists, try\r\n"
     "switching to Behind Firewall mode (click on zolvex and press Ctrl+T)."},
    {406,
     "6. Connection to firewall terminated.\r\n\r\nPossible causes:\r\n\r\n"
     "  a) The firewall or proxy closed the connection.\r\n"
     "  b) The firewall does not allow connections to the KTQ server port.\r\n"
     "  c) The proxy server is down.\r\n\r\n"
     "  Please contact your network administrator or your service provider."},
    {407,
     "7. Cannot decode tile.\r\n\r\nPossible causes:\r\n\r\n"
     "  a) The image data arrived damaged or incomplete.\r\n"
     "  b) The image was made in a format that this version of zolvex\r\n"
     "     cannot read.\r\n\r\n"
     "  Please press F5 or click on the refresh button in your web browser.\r\n"
     "  If that does not help, please contact your service provider."},
    {408,
     "8. Connection timed out.\r\n\r\n"
     "The KTQ server did not answer in time.\r\n"
     "Please try again later. If that does not help, please contact your service provider."},
    {409,
     "9. Authentication failed. Access denied.\r\n\r\n"
     "The KTQ server is running in authentication mode and\r\n"
     "the client failed to pass authentication check.\r\n\r\nPossible causes:\r\n\r\n"
     "a) The client is not authorized to connect to the server.\r\n"
     "b) The client web proxy refused to let zolvex connect\r\n"
     "   to the web and returns http code 401 (authentication failed).\r\n"
     "   The client may not be authorized to use the proxy.\r\n"
     "c) The KTQ server is down, but the proxy server is incorrectly\r\n"
     "   configured to return http code 401."},
    {410, "10. Sever is busy.\r\n\r\nThe server cannot accept any more new connections."},
    {411,
     "11. Failed when reading header. Possible cause:\r\n\r\n"
     "  a) You have a slow internet connection (i.e. 56kbps)\r\n"
     "     and the connection got disconnected while retrieving KTQ header.\r\n"
     "  b) The server specified in the URL is not correct.\r\n"
     "  c) The remote server is not having KTQ server running correctly.\r\n"
     "  Please try switching to Behind Firewall mode (click on zolvex and\r\n"
     "  press Ctrl+T). If that does not help, please contact your service provider."},
    {412,
     "2. Couldn't establish a connection to server.\r\n\r\n"
     "  a) The webpage may have the wrong URL.\r\n"
     "  b) If the web pages is dynamically generated from a database,\r\n"
     "     then the database may contain the wrong URL.\r\n"
     "  c) The server is down.\r\n"
     "  d) Your are behind a firewall and the firewall blocks connections\r\n\r\n"
     "  Please contact your service provider."},
};

constexpr NumberedText kGerman[] = {
    {401,
     "1. Datei %url nicht gefunden.\r\n\r\nMögliche Ursachen:\r\n\r\n"
     "  a) Die Webseite enthält möglicherweise eine falsche URL.\r\n"
     "  b) Wenn die Webseite aus einer Datenbank erzeugt wird,\r\n"
     "     enthält die Datenbank möglicherweise eine falsche URL.\r\n"
     "  c) Die Datei, auf die die URL verweist, fehlt auf dem Server.\r\n"
     "  d) Der HTTP-Port Ihrer Webseite stimmt möglicherweise nicht\r\n"
     "     mit dem HTTP-Port Ihres KTQ-Servers überein.\r\n\r\n"
     "  Bitte wenden Sie sich an Ihren Dienstanbieter."},
    {402,
     "2. Es konnte keine Verbindung zum Server hergestellt werden.\r\n\r\n"
     "  a) Die Webseite enthält möglicherweise eine falsche URL.\r\n"
     "  b) Wenn die Webseite aus einer Datenbank erzeugt wird,\r\n"
     "     enthält die Datenbank möglicherweise eine falsche URL.\r\n"
     "  c) Der Server ist nicht in Betrieb.\r\n"
     "  d) Sie befinden sich hinter einer Firewall, die Verbindungen blockiert.\r\n\r\n"
     "  Bitte wechseln Sie in den Modus \"Behind Firewall\" (klicken Sie auf zolvex\r\n"
     "  und drücken Sie Strg+T). Hilft das nicht, wenden Sie sich bitte an Ihren Dienstanbieter."},
    {403, "Ein Fehler ist aufgetreten. Verbindung getrennt.\r\n\r\n"
          "Drücken Sie F5 oder klicken Sie in Ihrem Webbrowser auf \"Aktualisieren\"."},
    {404,
     "4. Sendepuffer erschöpft.\r\n\r\n"
     "Die Anfragen an den KTQ-Server konnten nicht zum Senden eingereiht werden.\r\n"
     "Bitte schließen Sie andere Programme, die das Netzwerk nutzen, und drücken Sie F5\r\n"
     "oder klicken Sie in Ihrem Webbrowser auf \"Aktualisieren\"."},
    {405,
     "5. Verbindung unterbrochen.\r\n\r\n"
     "Die Verbindung zum KTQ-Server ist abgebrochen.\r\n"
     "Bitte prüfen Sie Ihre Netzwerkverbindung und drücken Sie F5 oder klicken Sie\r\n"
     "in Ihrem Webbrowser auf \"Aktualisieren\". Besteht das Problem weiter, wechseln Sie\r\n"
     "in den Modus \"Behind Firewall\" (klicken Sie auf zolvex und drücken Sie Strg+T)."},
    {406,
     "6. Verbindung zur Firewall beendet.\r\n\r\nMögliche Ursachen:\r\n\r\n"
     "  a) Die Firewall oder der Proxy hat die Verbindung geschlossen.\r\n"
     "  b) Die Firewall erlaubt keine Verbindungen zum Port des KTQ-Servers.\r\n"
     "  c) Der Proxyserver ist nicht in Betrieb.\r\n\r\n"
     "  Bitte wenden Sie sich an Ihren Netzwerkadministrator oder Ihren Dienstanbieter."},
    {407,
     "7. Kachel kann nicht dekodiert werden.\r\n\r\nMögliche Ursachen:\r\n\r\n"
     "  a) Die Bilddaten kamen beschädigt oder unvollständig an.\r\n"
     "  b) Das Bild liegt in einem Format vor, das diese Version von zolvex\r\n"
     "     nicht lesen kann.\r\n\r\n"
     "  Bitte drücken Sie F5 oder klicken Sie in Ihrem Webbrowser auf \"Aktualisieren\".\r\n"
     "  Hilft das nicht, wenden Sie sich bitte an Ihren Dienstanbieter."},
    {408,
     "8. Zeitüberschreitung der Verbindung.\r\n\r\n"
     "Der KTQ-Server hat nicht rechtzeitig geantwortet.\r\n"
     "Bitte versuchen Sie es später erneut. Hilft das nicht, wenden Sie sich bitte an Ihren Dienstanbieter."},
    {409,
     "9. Authentifizierung fehlgeschlagen. Zugriff verweigert.\r\n\r\n"
     "Der KTQ-Server arbeitet im Authentifizierungsmodus, und\r\n"
     "der Client hat die Authentifizierungsprüfung nicht bestanden.\r\n\r\nMögliche Ursachen:\r\n\r\n"
     "a) Der Client ist nicht berechtigt, sich mit dem Server zu verbinden.\r\n"
     "b) Der Web-Proxy des Clients hat zolvex die Verbindung ins Web verweigert\r\n"
     "   und liefert den HTTP-Code 401 (Authentifizierung fehlgeschlagen).\r\n"
     "   Der Client ist möglicherweise nicht berechtigt, den Proxy zu nutzen.\r\n"
     "c) Der KTQ-Server ist nicht in Betrieb, aber der Proxyserver ist fälschlich\r\n"
     "   so eingerichtet, dass er den HTTP-Code 401 liefert."},
    {410, "10. Der Server ist ausgelastet.\r\n\r\nDer Server kann keine weiteren Verbindungen annehmen."},
    {411,
     "11. Fehler beim Lesen des Kopfes. Mögliche Ursachen:\r\n\r\n"
     "  a) Sie haben eine langsame Internetverbindung (z. B. 56 kbit/s),\r\n"
     "     und die Verbindung wurde beim Abrufen des KTQ-Kopfes getrennt.\r\n"
     "  b) Der in der URL angegebene Server ist nicht richtig.\r\n"
     "  c) Auf dem entfernten Server läuft kein funktionierender KTQ-Server.\r\n"
     "  Bitte wechseln Sie in den Modus \"Behind Firewall\" (klicken Sie auf zolvex\r\n"
     "  und drücken Sie Strg+T). Hilft das nicht, wenden Sie sich bitte an Ihren Dienstanbieter."},
    {412,
     "2. Es konnte keine Verbindung zum Server hergestellt werden.\r\n\r\n"
     "  a) Die Webseite enthält möglicherweise eine falsche URL.\r\n"
     "  b) Wenn die Webseite aus einer Datenbank erzeugt wird,\r\n"
     "     enthält die Datenbank möglicherweise eine falsche URL.\r\n"
     "  c) Der Server ist nicht in Betrieb.\r\n"
     "  d) Sie befinden sich hinter einer Firewall, die Verbindungen blockiert.\r\n\r\n"
     "  Bitte wenden Sie sich an Ihren Dienstanbieter."},
};

constexpr NumberedText kFrench[] = {
    {401,
     "1. Fichier %url introuvable.\r\n\r\nCauses possibles :\r\n\r\n"
     "  a) La page web contient peut-être une URL erronée.\r\n"
     "  b) Si la page web est générée à partir d'une base de données,\r\n"
     "     la base de données contient peut-être une URL erronée.\r\n"
     "  c) Le fichier désigné par l'URL est absent du serveur.\r\n"
     "  d) Le port HTTP de votre page web ne correspond peut-être pas\r\n"
     "     au port HTTP de votre serveur KTQ.\r\n\r\n"
     "  Veuillez contacter votre fournisseur de services."},
    {402,
     "2. Impossible d'établir une connexion avec le serveur.\r\n\r\n"
     "  a) La page web contient peut-être une URL erronée.\r\n"
     "  b) Si la page web est générée à partir d'une base de données,\r\n"
     "     la base de données contient peut-être une URL erronée.\r\n"
     "  c) Le serveur est arrêté.\r\n"
     "  d) Vous êtes derrière un pare-feu qui bloque les connexions.\r\n\r\n"
     "  Essayez de passer en mode \"Behind Firewall\" (cliquez sur zolvex et\r\n"
     "  appuyez sur Ctrl+T). Si cela ne suffit pas, contactez votre fournisseur de services."},
    {403, "Une erreur s'est produite. Déconnecté.\r\n\r\n"
          "Appuyez sur F5 ou cliquez sur le bouton Actualiser de votre navigateur web."},
    {404,
     "4. Tampon d'envoi saturé.\r\n\r\n"
     "Les requêtes destinées au serveur KTQ n'ont pas pu être mises en file d'attente.\r\n"
     "Fermez les autres programmes qui utilisent le réseau puis appuyez sur F5\r\n"
     "ou cliquez sur le bouton Actualiser de votre navigateur web."},
    {405,
     "5. Connexion interrompue.\r\n\r\n"
     "La connexion au serveur KTQ a été perdue.\r\n"
     "Vérifiez votre connexion réseau puis appuyez sur F5 ou cliquez sur le bouton\r\n"
     "Actualiser de votre navigateur web. Si le problème persiste, passez en mode\r\n"
     "\"Behind Firewall\" (cliquez sur zolvex et appuyez sur Ctrl+T)."},
    {406,
     "6. Connexion au pare-feu terminée.\r\n\r\nCauses possibles :\r\n\r\n"
     "  a) Le pare-feu ou le proxy a fermé la connexion.\r\n"
     "  b) Le pare-feu n'autorise pas les connexions au port du serveur KTQ.\r\n"
     "  c) Le serveur proxy est arrêté.\r\n\r\n"
     "  Veuillez contacter votre administrateur réseau ou votre fournisseur de services."},
    {407,
     "7. Impossible de décoder la tuile.\r\n\r\nCauses possibles :\r\n\r\n"
     "  a) Les données de l'image sont arrivées endommagées ou incomplètes.\r\n"
     "  b) L'image est dans un format que cette version de zolvex\r\n"
     "     ne sait pas lire.\r\n\r\n"
     "  Appuyez sur F5 ou cliquez sur le bouton Actualiser de votre navigateur web.\r\n"
     "  Si cela ne suffit pas, contactez votre fournisseur de services."},
    {408,
     "8. Délai de connexion dépassé.\r\n\r\n"
     "Le serveur KTQ n'a pas répondu à temps.\r\n"
     "Réessayez plus tard. Si cela ne suffit pas, contactez votre fournisseur de services."},
    {409,
     "9. Échec de l'authentification. Accès refusé.\r\n\r\n"
     "Le serveur KTQ fonctionne en mode authentifié et\r\n"
     "le client n'a pas passé le contrôle d'authentification.\r\n\r\nCauses possibles :\r\n\r\n"
     "a) Le client n'est pas autorisé à se connecter au serveur.\r\n"
     "b) Le proxy web du client a refusé la connexion de zolvex\r\n"
     "   au web et renvoie le code HTTP 401 (échec de l'authentification).\r\n"
     "   Le client n'est peut-être pas autorisé à utiliser le proxy.\r\n"
     "c) Le serveur KTQ est arrêté, mais le serveur proxy est configuré\r\n"
     "   à tort pour renvoyer le code HTTP 401."},
    {410, "10. Le serveur est occupé.\r\n\r\nLe serveur ne peut plus accepter de nouvelles connexions."},
    {411,
     "11. Échec de la lecture de l'en-tête. Causes possibles :\r\n\r\n"
     "  a) Votre connexion internet est lente (par exemple 56 kbit/s)\r\n"
     "     et la connexion a été coupée pendant la lecture de l'en-tête KTQ.\r\n"
     "  b) Le serveur indiqué dans l'URL n'est pas le bon.\r\n"
     "  c) Le serveur KTQ ne fonctionne pas correctement sur le serveur distant.\r\n"
     "  Essayez de passer en mode \"Behind Firewall\" (cliquez sur zolvex et\r\n"
     "  appuyez sur Ctrl+T). Si cela ne suffit pas, contactez votre fournisseur de services."},
    {412,
     "2. Impossible d'établir une connexion avec le serveur.\r\n\r\n"
     "  a) La page web contient peut-être une URL erronée.\r\n"
     "  b) Si la page web est générée à partir d'une base de données,\r\n"
     "     la base de données contient peut-être une URL erronée.\r\n"
     "  c) Le serveur est arrêté.\r\n"
     "  d) Vous êtes derrière un pare-feu qui bloque les connexions.\r\n\r\n"
     "  Veuillez contacter votre fournisseur de services."},
};

constexpr NumberedText kSpanish[] = {
    {401,
     "1. No se encontró el archivo %url.\r\n\r\nPosibles causas:\r\n\r\n"
     "  a) Es posible que la página web tenga una URL incorrecta.\r\n"
     "  b) Si la página web se genera a partir de una base de datos,\r\n"
     "     es posible que la base de datos contenga una URL incorrecta.\r\n"
     "  c) El archivo al que remite la URL no está en el servidor.\r\n"
     "  d) Es posible que el puerto HTTP de su página web no coincida\r\n"
     "     con el puerto HTTP de su servidor KTQ.\r\n\r\n"
     "  Póngase en contacto con su proveedor de servicios."},
    {402,
     "2. No se pudo establecer una conexión con el servidor.\r\n\r\n"
     "  a) Es posible que la página web tenga una URL incorrecta.\r\n"
     "  b) Si la página web se genera a partir de una base de datos,\r\n"
     "     es posible que la base de datos contenga una URL incorrecta.\r\n"
     "  c) El servidor no está en funcionamiento.\r\n"
     "  d) Se encuentra detrás de un cortafuegos que bloquea las conexiones.\r\n\r\n"
     "  Pruebe a cambiar al modo \"Behind Firewall\" (haga clic en zolvex y\r\n"
     "  pulse Ctrl+T). Si no sirve de nada, póngase en contacto con su proveedor de servicios."},
    {403, "Se produjo un error. Desconectado.\r\n\r\n"
          "Pulse F5 o haga clic en el botón Actualizar de su navegador web."},
    {404,
     "4. Búfer de envío agotado.\r\n\r\n"
     "No se pudieron poner en cola las peticiones al servidor KTQ.\r\n"
     "Cierre otros programas que usen la red y pulse F5\r\n"
     "o haga clic en el botón Actualizar de su navegador web."},
    {405,
     "5. Conexión interrumpida.\r\n\r\n"
     "Se perdió la conexión con el servidor KTQ.\r\n"
     "Compruebe su conexión de red y pulse F5 o haga clic en el botón Actualizar\r\n"
     "de su navegador web. Si el problema continúa, cambie al modo\r\n"
     "\"Behind Firewall\" (haga clic en zolvex y pulse Ctrl+T)."},
    {406,
     "6. Conexión con el cortafuegos terminada.\r\n\r\nPosibles causas:\r\n\r\n"
     "  a) El cortafuegos o el proxy cerró la conexión.\r\n"
     "  b) El cortafuegos no permite conexiones al puerto del servidor KTQ.\r\n"
     "  c) El servidor proxy no está en funcionamiento.\r\n\r\n"
     "  Póngase en contacto con su administrador de red o su proveedor de servicios."},
    {407,
     "7. No se puede descodificar el mosaico.\r\n\r\nPosibles causas:\r\n\r\n"
     "  a) Los datos de la imagen llegaron dañados o incompletos.\r\n"
     "  b) La imagen está en un formato que esta versión de zolvex\r\n"
     "     no puede leer.\r\n\r\n"
     "  Pulse F5 o haga clic en el botón Actualizar de su navegador web.\r\n"
     "  Si no sirve de nada, póngase en contacto con su proveedor de servicios."},
    {408,
     "8. Se agotó el tiempo de espera de la conexión.\r\n\r\n"
     "El servidor KTQ no respondió a tiempo.\r\n"
     "Inténtelo de nuevo más tarde. Si no sirve de nada, póngase en contacto con su proveedor de servicios."},
    {409,
     "9. Error de autenticación. Acceso denegado.\r\n\r\n"
     "El servidor KTQ funciona en modo de autenticación y\r\n"
     "el cliente no superó la comprobación de autenticación.\r\n\r\nPosibles causas:\r\n\r\n"
     "a) El cliente no está autorizado a conectarse al servidor.\r\n"
     "b) El proxy web del cliente no permitió que zolvex se conectara\r\n"
     "   a la web y devuelve el código HTTP 401 (error de autenticación).\r\n"
     "   Es posible que el cliente no esté autorizado a usar el proxy.\r\n"
     "c) El servidor KTQ no está en funcionamiento, pero el servidor proxy\r\n"
     "   está mal configurado y devuelve el código HTTP 401."},
    {410, "10. El servidor está ocupado.\r\n\r\nEl servidor no puede aceptar más conexiones nuevas."},
    {411,
     "11. Error al leer la cabecera. Posibles causas:\r\n\r\n"
     "  a) Su conexión a internet es lenta (por ejemplo, 56 kbps)\r\n"
     "     y la conexión se cortó mientras se recibía la cabecera KTQ.\r\n"
     "  b) El servidor indicado en la URL no es correcto.\r\n"
     "  c) El servidor KTQ no funciona correctamente en el servidor remoto.\r\n"
     "  Pruebe a cambiar al modo \"Behind Firewall\" (haga clic en zolvex y\r\n"
     "  pulse Ctrl+T). Si no sirve de nada, póngase en contacto con su proveedor de servicios."},
    {412,
     "2. No se pudo establecer una conexión con el servidor.\r\n\r\n"
     "  a) Es posible que la página web tenga una URL incorrecta.\r\n"
     "  b) Si la página web se genera a partir de una base de datos,\r\n"
     "     es posible que la base de datos contenga una URL incorrecta.\r\n"
     "  c) El servidor no está en funcionamiento.\r\n"
     "  d) Se encuentra detrás de un cortafuegos que bloquea las conexiones.\r\n\r\n"
     "  Póngase en contacto con su proveedor de servicios."},
};

constexpr NumberedText kChinese[] = {
    {401,
     "1. 找不到文件 %url。\r\n\r\n可能的原因：\r\n\r\n"
     "  a) 网页中的 URL 可能有误。\r\n"
     "  b) 如果网页由数据库动态生成，\r\n"
     "     数据库中的 URL 可能有误。\r\n"
     "  c) 服务器上缺少该 URL 所指的文件。\r\n"
     "  d) 网页中使用的 HTTP 端口可能与\r\n"
     "     KTQ 服务器使用的 HTTP 端口不一致。\r\n\r\n"
     "  请与您的服务提供商联系。"},
    {402,
     "2. 无法建立与服务器的连接。\r\n\r\n"
     "  a) 网页中的 URL 可能有误。\r\n"
     "  b) 如果网页由数据库动态生成，\r\n"
     "     数据库中的 URL 可能有误。\r\n"
     "  c) 服务器已停止运行。\r\n"
     "  d) 您位于防火墙之后，且防火墙阻止了连接。\r\n\r\n"
     "  请尝试切换到 \"Behind Firewall\" 模式（单击 zolvex 并\r\n"
     "  按 Ctrl+T）。如果仍无帮助，请与您的服务提供商联系。"},
    {403, "发生错误。连接已断开。\r\n\r\n请按 F5 或单击网页浏览器中的刷新按钮。"},
    {404,
     "4. 发送缓冲区已满。\r\n\r\n"
     "发往 KTQ 服务器的请求无法排队发送。\r\n"
     "请关闭其他使用网络的程序，然后按 F5\r\n"
     "或单击网页浏览器中的刷新按钮。"},
    {405,
     "5. 连接中断。\r\n\r\n"
     "与 KTQ 服务器的连接已丢失。\r\n"
     "请检查网络连接，然后按 F5 或单击网页浏览器中的刷新按钮。\r\n"
     "如果问题仍然存在，请切换到 \"Behind Firewall\" 模式（单击 zolvex 并按 Ctrl+T）。"},
    {406,
     "6. 与防火墙的连接已终止。\r\n\r\n可能的原因：\r\n\r\n"
     "  a) 防火墙或代理服务器关闭了连接。\r\n"
     "  b) 防火墙不允许连接到 KTQ 服务器的端口。\r\n"
     "  c) 代理服务器已停止运行。\r\n\r\n"
     "  请与您的网络管理员或服务提供商联系。"},
    {407,
     "7. 无法解码图块。\r\n\r\n可能的原因：\r\n\r\n"
     "  a) 收到的图像数据已损坏或不完整。\r\n"
     "  b) 图像的格式是此版本的 zolvex 无法读取的。\r\n\r\n"
     "  请按 F5 或单击网页浏览器中的刷新按钮。\r\n"
     "  如果仍无帮助，请与您的服务提供商联系。"},
    {408,
     "8. 连接超时。\r\n\r\n"
     "KTQ 服务器未能及时响应。\r\n"
     "请稍后重试。如果仍无帮助，请与您的服务提供商联系。"},
    {409,
     "9. 身份验证失败。拒绝访问。\r\n\r\n"
     "KTQ 服务器运行在身份验证模式下，\r\n"
     "而客户端未能通过身份验证检查。\r\n\r\n可能的原因：\r\n\r\n"
     "a) 客户端无权连接到该服务器。\r\n"
     "b) 客户端的网络代理拒绝 zolvex 连接到网络，\r\n"
     "   并返回 HTTP 代码 401（身份验证失败）。\r\n"
     "   客户端可能无权使用该代理。\r\n"
     "c) KTQ 服务器已停止运行，但代理服务器被错误地\r\n"
     "   配置为返回 HTTP 代码 401。"},
    {410, "10. 服务器忙。\r\n\r\n服务器无法再接受新的连接。"},
    {411,
     "11. 读取文件头失败。可能的原因：\r\n\r\n"
     "  a) 您的网络连接较慢（例如 56kbps），\r\n"
     "     在获取 KTQ 文件头时连接被断开。\r\n"
     "  b) URL 中指定的服务器不正确。\r\n"
     "  c) 远程服务器上的 KTQ 服务器未正常运行。\r\n"
     "  请尝试切换到 \"Behind Firewall\" 模式（单击 zolvex 并\r\n"
     "  按 Ctrl+T）。如果仍无帮助，请与您的服务提供商联系。"},
    {412,
     "2. 无法建立与服务器的连接。\r\n\r\n"
     "  a) 网页中的 URL 可能有误。\r\n"
     "  b) 如果网页由数据库动态生成，\r\n"
     "     数据库中的 URL 可能有误。\r\n"
     "  c) 服务器已停止运行。\r\n"
     "  d) 您位于防火墙之后，且防火墙阻止了连接。\r\n\r\n"
     "  请与您的服务提供商联系。"},
};

constexpr NumberedText kJapanese[] = {
    {401,
     "1. ファイル %url が見つかりません。\r\n\r\n考えられる原因:\r\n\r\n"
     "  a) Web ページの URL が間違っている可能性があります。\r\n"
     "  b) Web ページがデータベースから動的に生成されている場合、\r\n"
     "     データベースの URL が間違っている可能性があります。\r\n"
     "  c) URL が指すファイルがサーバー上にありません。\r\n"
     "  d) Web ページで使用している HTTP ポートが\r\n"
     "     KTQ サーバーの HTTP ポートと一致していない可能性があります。\r\n\r\n"
     "  サービス提供者にお問い合わせください。"},
    {402,
     "2. サーバーに接続できませんでした。\r\n\r\n"
     "  a) Web ページの URL が間違っている可能性があります。\r\n"
     "  b) Web ページがデータベースから動的に生成されている場合、\r\n"
     "     データベースの URL が間違っている可能性があります。\r\n"
     "  c) サーバーが停止しています。\r\n"
     "  d) ファイアウォールの内側にいて、ファイアウォールが接続を遮断しています。\r\n\r\n"
     "  \"Behind Firewall\" モードに切り替えてください (zolvex をクリックして\r\n"
     "  Ctrl+T を押します)。それでも解決しない場合は、サービス提供者にお問い合わせください。"},
    {403, "エラーが発生しました。接続が切断されました。\r\n\r\n"
          "F5 キーを押すか、Web ブラウザーの更新ボタンをクリックしてください。"},
    {404,
     "4. 送信バッファーが不足しています。\r\n\r\n"
     "KTQ サーバーへの要求を送信待ちにできませんでした。\r\n"
     "ネットワークを使用しているほかのプログラムを閉じてから F5 キーを押すか、\r\n"
     "Web ブラウザーの更新ボタンをクリックしてください。"},
    {405,
     "5. 接続が切断されました。\r\n\r\n"
     "KTQ サーバーとの接続が失われました。\r\n"
     "ネットワーク接続を確認してから F5 キーを押すか、Web ブラウザーの更新ボタンを\r\n"
     "クリックしてください。問題が続く場合は \"Behind Firewall\" モードに\r\n"
     "切り替えてください (zolvex をクリックして Ctrl+T を押します)。"},
    {406,
     "6. ファイアウォールへの接続が終了しました。\r\n\r\n考えられる原因:\r\n\r\n"
     "  a) ファイアウォールまたはプロキシが接続を閉じました。\r\n"
     "  b) ファイアウォールが KTQ サーバーのポートへの接続を許可していません。\r\n"
     "  c) プロキシ サーバーが停止しています。\r\n\r\n"
     "  ネットワーク管理者またはサービス提供者にお問い合わせください。"},
    {407,
     "7. タイルをデコードできません。\r\n\r\n考えられる原因:\r\n\r\n"
     "  a) 画像データが破損しているか、不完全な状態で届きました。\r\n"
     "  b) このバージョンの zolvex では読み取れない形式の画像です。\r\n\r\n"
     "  F5 キーを押すか、Web ブラウザーの更新ボタンをクリックしてください。\r\n"
     "  それでも解決しない場合は、サービス提供者にお問い合わせください。"},
    {408,
     "8. 接続がタイムアウトしました。\r\n\r\n"
     "KTQ サーバーから時間内に応答がありませんでした。\r\n"
     "しばらくしてからもう一度お試しください。それでも解決しない場合は、サービス提供者にお問い合わせください。"},
    {409,
     "9. 認証に失敗しました。アクセスが拒否されました。\r\n\r\n"
     "KTQ サーバーは認証モードで動作しており、\r\n"
     "クライアントは認証チェックに合格しませんでした。\r\n\r\n考えられる原因:\r\n\r\n"
     "a) クライアントにはサーバーへの接続が許可されていません。\r\n"
     "b) クライアントの Web プロキシが zolvex の Web への接続を拒否し、\r\n"
     "   HTTP コード 401 (認証失敗) を返しています。\r\n"
     "   クライアントにはプロキシの使用が許可されていない可能性があります。\r\n"
     "c) KTQ サーバーが停止していますが、プロキシ サーバーが誤って\r\n"
     "   HTTP コード 401 を返すように構成されています。"},
    {410, "10. サーバーがビジー状態です。\r\n\r\nサーバーはこれ以上新しい接続を受け付けられません。"},
    {411,
     "11. ヘッダーの読み取りに失敗しました。考えられる原因:\r\n\r\n"
     "  a) インターネット接続が低速 (56kbps など) で、\r\n"
     "     KTQ ヘッダーの取得中に接続が切断されました。\r\n"
     "  b) URL に指定されたサーバーが正しくありません。\r\n"
     "  c) リモート サーバーで KTQ サーバーが正しく動作していません。\r\n"
     "  \"Behind Firewall\" モードに切り替えてください (zolvex をクリックして\r\n"
     "  Ctrl+T を押します)。それでも解決しない場合は、サービス提供者にお問い合わせください。"},
    {412,
     "2. サーバーに接続できませんでした。\r\n\r\n"
     "  a) Web ページの URL が間違っている可能性があります。\r\n"
     "  b) Web ページがデータベースから動的に生成されている場合、\r\n"
     "     データベースの URL が間違っている可能性があります。\r\n"
     "  c) サーバーが停止しています。\r\n"
     "  d) ファイアウォールの内側にいて、ファイアウォールが接続を遮断しています。\r\n\r\n"
     "  サービス提供者にお問い合わせください。"},
};

constexpr NumberedText kKorean[] = {
    {401,
     "1. %url 파일을 찾을 수 없습니다.\r\n\r\n가능한 원인:\r\n\r\n"
     "  a) 웹 페이지의 URL이 잘못되었을 수 있습니다.\r\n"
     "  b) 웹 페이지가 데이터베이스에서 동적으로 생성되는 경우\r\n"
     "     데이터베이스의 URL이 잘못되었을 수 있습니다.\r\n"
     "  c) URL이 가리키는 파일이 서버에 없습니다.\r\n"
     "  d) 웹 페이지에서 사용하는 HTTP 포트가\r\n"
     "     KTQ 서버의 HTTP 포트와 다를 수 있습니다.\r\n\r\n"
     "  서비스 제공업체에 문의하십시오."},
    {402,
     "2. 서버에 연결할 수 없습니다.\r\n\r\n"
     "  a) 웹 페이지의 URL이 잘못되었을 수 있습니다.\r\n"
     "  b) 웹 페이지가 데이터베이스에서 동적으로 생성되는 경우\r\n"
     "     데이터베이스의 URL이 잘못되었을 수 있습니다.\r\n"
     "  c) 서버가 중지되었습니다.\r\n"
     "  d) 방화벽 뒤에 있으며 방화벽이 연결을 차단하고 있습니다.\r\n\r\n"
     "  \"Behind Firewall\" 모드로 전환해 보십시오(zolvex를 클릭하고\r\n"
     "  Ctrl+T를 누르십시오). 그래도 해결되지 않으면 서비스 제공업체에 문의하십시오."},
    {403, "오류가 발생했습니다. 연결이 끊어졌습니다.\r\n\r\n"
          "F5 키를 누르거나 웹 브라우저의 새로 고침 단추를 클릭하십시오."},
    {404,
     "4. 보내기 버퍼가 부족합니다.\r\n\r\n"
     "KTQ 서버로 보낼 요청을 대기열에 넣을 수 없습니다.\r\n"
     "네트워크를 사용하는 다른 프로그램을 닫은 다음 F5 키를 누르거나\r\n"
     "웹 브라우저의 새로 고침 단추를 클릭하십시오."},
    {405,
     "5. 연결이 끊어졌습니다.\r\n\r\n"
     "KTQ 서버와의 연결이 끊어졌습니다.\r\n"
     "네트워크 연결을 확인한 다음 F5 키를 누르거나 웹 브라우저의 새로 고침 단추를\r\n"
     "클릭하십시오. 문제가 계속되면 \"Behind Firewall\" 모드로 전환하십시오\r\n"
     "(zolvex를 클릭하고 Ctrl+T를 누르십시오)."},
    {406,
     "6. 방화벽과의 연결이 종료되었습니다.\r\n\r\n가능한 원인:\r\n\r\n"
     "  a) 방화벽 또는 프록시가 연결을 닫았습니다.\r\n"
     "  b) 방화벽이 KTQ 서버 포트로의 연결을 허용하지 않습니다.\r\n"
     "  c) 프록시 서버가 중지되었습니다.\r\n\r\n"
     "  네트워크 관리자나 서비스 제공업체에 문의하십시오."},
    {407,
     "7. 타일을 디코딩할 수 없습니다.\r\n\r\n가능한 원인:\r\n\r\n"
     "  a) 이미지 데이터가 손상되었거나 불완전하게 도착했습니다.\r\n"
     "  b) 이 버전의 zolvex가 읽을 수 없는 형식의 이미지입니다.\r\n\r\n"
     "  F5 키를 누르거나 웹 브라우저의 새로 고침 단추를 클릭하십시오.\r\n"
     "  그래도 해결되지 않으면 서비스 제공업체에 문의하십시오."},
    {408,
     "8. 연결 시간이 초과되었습니다.\r\n\r\n"
     "KTQ 서버가 제시간에 응답하지 않았습니다.\r\n"
     "나중에 다시 시도하십시오. 그래도 해결되지 않으면 서비스 제공업체에 문의하십시오."},
    {409,
     "9. 인증에 실패했습니다. 액세스가 거부되었습니다.\r\n\r\n"
     "KTQ 서버가 인증 모드로 실행 중이며\r\n"
     "클라이언트가 인증 검사를 통과하지 못했습니다.\r\n\r\n가능한 원인:\r\n\r\n"
     "a) 클라이언트에게 서버 연결 권한이 없습니다.\r\n"
     "b) 클라이언트의 웹 프록시가 zolvex의 웹 연결을 거부하고\r\n"
     "   HTTP 코드 401(인증 실패)을 반환합니다.\r\n"
     "   클라이언트에게 프록시 사용 권한이 없을 수 있습니다.\r\n"
     "c) KTQ 서버가 중지되었지만 프록시 서버가 잘못 구성되어\r\n"
     "   HTTP 코드 401을 반환합니다."},
    {410, "10. 서버가 사용 중입니다.\r\n\r\n서버가 더 이상 새 연결을 받을 수 없습니다."},
    {411,
     "11. 헤더를 읽지 못했습니다. 가능한 원인:\r\n\r\n"
     "  a) 인터넷 연결 속도가 느려(예: 56kbps)\r\n"
     "     KTQ 헤더를 받는 동안 연결이 끊어졌습니다.\r\n"
     "  b) URL에 지정된 서버가 올바르지 않습니다.\r\n"
     "  c) 원격 서버에서 KTQ 서버가 제대로 실행되고 있지 않습니다.\r\n"
     "  \"Behind Firewall\" 모드로 전환해 보십시오(zolvex를 클릭하고\r\n"
     "  Ctrl+T를 누르십시오). 그래도 해결되지 않으면 서비스 제공업체에 문의하십시오."},
    {412,
     "2. 서버에 연결할 수 없습니다.\r\n\r\n"
     "  a) 웹 페이지의 URL이 잘못되었을 수 있습니다.\r\n"
     "  b) 웹 페이지가 데이터베이스에서 동적으로 생성되는 경우\r\n"
     "     데이터베이스의 URL이 잘못되었을 수 있습니다.\r\n"
     "  c) 서버가 중지되었습니다.\r\n"
     "  d) 방화벽 뒤에 있으며 방화벽이 연결을 차단하고 있습니다.\r\n\r\n"
     "  서비스 제공업체에 문의하십시오."},
};

constexpr NumberedText kVietnamese[] = {
    {401,
     "1. Không tìm thấy tệp %url.\r\n\r\nNguyên nhân có thể:\r\n\r\n"
     "  a) Trang web có thể chứa URL sai.\r\n"
     "  b) Nếu trang web được tạo động từ cơ sở dữ liệu,\r\n"
     "     cơ sở dữ liệu có thể chứa URL sai.\r\n"
     "  c) Tệp mà URL trỏ tới không có trên máy chủ.\r\n"
     "  d) Cổng HTTP dùng trong trang web có thể không khớp\r\n"
     "     với cổng HTTP của máy chủ KTQ.\r\n\r\n"
     "  Vui lòng liên hệ nhà cung cấp dịch vụ của bạn."},
    {402,
     "2. Không thể kết nối tới máy chủ.\r\n\r\n"
     "  a) Trang web có thể chứa URL sai.\r\n"
     "  b) Nếu trang web được tạo động từ cơ sở dữ liệu,\r\n"
     "     cơ sở dữ liệu có thể chứa URL sai.\r\n"
     "  c) Máy chủ đang ngừng hoạt động.\r\n"
     "  d) Bạn ở sau tường lửa và tường lửa chặn các kết nối.\r\n\r\n"
     "  Hãy thử chuyển sang chế độ \"Behind Firewall\" (nhấp vào zolvex và\r\n"
     "  nhấn Ctrl+T). Nếu vẫn không được, vui lòng liên hệ nhà cung cấp dịch vụ của bạn."},
    {403, "Đã xảy ra lỗi. Mất kết nối.\r\n\r\n"
          "Nhấn F5 hoặc nhấp vào nút làm mới trong trình duyệt web của bạn."},
    {404,
     "4. Hết bộ đệm gửi.\r\n\r\n"
     "Không thể xếp hàng các yêu cầu gửi tới máy chủ KTQ.\r\n"
     "Vui lòng đóng các chương trình khác đang dùng mạng rồi nhấn F5\r\n"
     "hoặc nhấp vào nút làm mới trong trình duyệt web của bạn."},
    {405,
     "5. Kết nối bị ngắt.\r\n\r\n"
     "Đã mất kết nối tới máy chủ KTQ.\r\n"
     "Vui lòng kiểm tra kết nối mạng rồi nhấn F5 hoặc nhấp vào nút làm mới\r\n"
     "trong trình duyệt web. Nếu sự cố vẫn tiếp diễn, hãy chuyển sang chế độ\r\n"
     "\"Behind Firewall\" (nhấp vào zolvex và nhấn Ctrl+T)."},
    {406,
     "6. Kết nối tới tường lửa đã kết thúc.\r\n\r\nNguyên nhân có thể:\r\n\r\n"
     "  a) Tường lửa hoặc proxy đã đóng kết nối.\r\n"
     "  b) Tường lửa không cho phép kết nối tới cổng của máy chủ KTQ.\r\n"
     "  c) Máy chủ proxy đang ngừng hoạt động.\r\n\r\n"
     "  Vui lòng liên hệ quản trị mạng hoặc nhà cung cấp dịch vụ của bạn."},
    {407,
     "7. Không thể giải mã ô ảnh.\r\n\r\nNguyên nhân có thể:\r\n\r\n"
     "  a) Dữ liệu ảnh nhận được bị hỏng hoặc không đầy đủ.\r\n"
     "  b) Ảnh có định dạng mà phiên bản zolvex này\r\n"
     "     không đọc được.\r\n\r\n"
     "  Vui lòng nhấn F5 hoặc nhấp vào nút làm mới trong trình duyệt web.\r\n"
     "  Nếu vẫn không được, vui lòng liên hệ nhà cung cấp dịch vụ của bạn."},
    {408,
     "8. Hết thời gian chờ kết nối.\r\n\r\n"
     "Máy chủ KTQ không trả lời kịp thời.\r\n"
     "Vui lòng thử lại sau. Nếu vẫn không được, vui lòng liên hệ nhà cung cấp dịch vụ của bạn."},
    {409,
     "9. Xác thực thất bại. Truy cập bị từ chối.\r\n\r\n"
     "Máy chủ KTQ đang chạy ở chế độ xác thực và\r\n"
     "máy khách không vượt qua bước kiểm tra xác thực.\r\n\r\nNguyên nhân có thể:\r\n\r\n"
     "a) Máy khách không được phép kết nối tới máy chủ.\r\n"
     "b) Proxy web của máy khách không cho zolvex kết nối\r\n"
     "   ra web và trả về mã HTTP 401 (xác thực thất bại).\r\n"
     "   Máy khách có thể không được phép dùng proxy.\r\n"
     "c) Máy chủ KTQ đang ngừng hoạt động, nhưng máy chủ proxy bị cấu hình\r\n"
     "   sai nên trả về mã HTTP 401."},
    {410, "10. Máy chủ đang bận.\r\n\r\nMáy chủ không thể nhận thêm kết nối mới."},
    {411,
     "11. Lỗi khi đọc phần đầu. Nguyên nhân có thể:\r\n\r\n"
     "  a) Kết nối internet của bạn chậm (ví dụ 56kbps)\r\n"
     "     và kết nối bị ngắt khi đang nhận phần đầu KTQ.\r\n"
     "  b) Máy chủ ghi trong URL không đúng.\r\n"
     "  c) Máy chủ KTQ trên máy chủ từ xa không chạy đúng.\r\n"
     "  Hãy thử chuyển sang chế độ \"Behind Firewall\" (nhấp vào zolvex và\r\n"
     "  nhấn Ctrl+T). Nếu vẫn không được, vui lòng liên hệ nhà cung cấp dịch vụ của bạn."},
    {412,
     "2. Không thể kết nối tới máy chủ.\r\n\r\n"
     "  a) Trang web có thể chứa URL sai.\r\n"
     "  b) Nếu trang web được tạo động từ cơ sở dữ liệu,\r\n"
     "     cơ sở dữ liệu có thể chứa URL sai.\r\n"
     "  c) Máy chủ đang ngừng hoạt động.\r\n"
     "  d) Bạn ở sau tường lửa và tường lửa chặn các kết nối.\r\n\r\n"
     "  Vui lòng liên hệ nhà cung cấp dịch vụ của bạn."},
};

constexpr NumberedText kMalaysian[] = {
    {401,
     "1. Fail %url tidak dijumpai.\r\n\r\nKemungkinan punca:\r\n\r\n"
     "  a) Halaman web mungkin mempunyai URL yang salah.\r\n"
     "  b) Jika halaman web dijana secara dinamik daripada pangkalan data,\r\n"
     "     pangkalan data itu mungkin mengandungi URL yang salah.\r\n"
     "  c) Fail yang dirujuk oleh URL tiada di pelayan.\r\n"
     "  d) Port HTTP yang digunakan dalam halaman web anda mungkin tidak sepadan\r\n"
     "     dengan port HTTP pelayan KTQ anda.\r\n\r\n"
     "  Sila hubungi pembekal perkhidmatan anda."},
    {402,
     "2. Sambungan ke pelayan tidak dapat diwujudkan.\r\n\r\n"
     "  a) Halaman web mungkin mempunyai URL yang salah.\r\n"
     "  b) Jika halaman web dijana secara dinamik daripada pangkalan data,\r\n"
     "     pangkalan data itu mungkin mengandungi URL yang salah.\r\n"
     "  c) Pelayan tidak berfungsi.\r\n"
     "  d) Anda berada di belakang tembok api yang menyekat sambungan.\r\n\r\n"
     "  Sila cuba beralih ke mod \"Behind Firewall\" (klik pada zolvex dan\r\n"
     "  tekan Ctrl+T). Jika masih gagal, sila hubungi pembekal perkhidmatan anda."},
    {403, "Ralat berlaku. Sambungan terputus.\r\n\r\n"
          "Tekan F5 atau klik butang muat semula dalam pelayar web anda."},
    {404,
     "4. Penimbal hantar telah penuh.\r\n\r\n"
     "Permintaan kepada pelayan KTQ tidak dapat dibariskan untuk dihantar.\r\n"
     "Sila tutup program lain yang menggunakan rangkaian dan tekan F5\r\n"
     "atau klik butang muat semula dalam pelayar web anda."},
    {405,
     "5. Sambungan terputus.\r\n\r\n"
     "Sambungan ke pelayan KTQ telah hilang.\r\n"
     "Sila semak sambungan rangkaian anda dan tekan F5 atau klik butang muat semula\r\n"
     "dalam pelayar web anda. Jika masalah berterusan, beralih ke mod\r\n"
     "\"Behind Firewall\" (klik pada zolvex dan tekan Ctrl+T)."},
    {406,
     "6. Sambungan ke tembok api ditamatkan.\r\n\r\nKemungkinan punca:\r\n\r\n"
     "  a) Tembok api atau proksi telah menutup sambungan.\r\n"
     "  b) Tembok api tidak membenarkan sambungan ke port pelayan KTQ.\r\n"
     "  c) Pelayan proksi tidak berfungsi.\r\n\r\n"
     "  Sila hubungi pentadbir rangkaian atau pembekal perkhidmatan anda."},
    {407,
     "7. Jubin tidak dapat dinyahkod.\r\n\r\nKemungkinan punca:\r\n\r\n"
     "  a) Data imej diterima dalam keadaan rosak atau tidak lengkap.\r\n"
     "  b) Imej itu dalam format yang tidak dapat dibaca oleh versi zolvex ini.\r\n\r\n"
     "  Sila tekan F5 atau klik butang muat semula dalam pelayar web anda.\r\n"
     "  Jika masih gagal, sila hubungi pembekal perkhidmatan anda."},
    {408,
     "8. Sambungan tamat masa.\r\n\r\n"
     "Pelayan KTQ tidak menjawab dalam masa yang ditetapkan.\r\n"
     "Sila cuba lagi kemudian. Jika masih gagal, sila hubungi pembekal perkhidmatan anda."},
    {409,
     "9. Pengesahan gagal. Akses dinafikan.\r\n\r\n"
     "Pelayan KTQ berjalan dalam mod pengesahan dan\r\n"
     "klien gagal melepasi semakan pengesahan.\r\n\r\nKemungkinan punca:\r\n\r\n"
     "a) Klien tidak dibenarkan bersambung ke pelayan.\r\n"
     "b) Proksi web klien tidak membenarkan zolvex bersambung\r\n"
     "   ke web dan memulangkan kod http 401 (pengesahan gagal).\r\n"
     "   Klien mungkin tidak dibenarkan menggunakan proksi itu.\r\n"
     "c) Pelayan KTQ tidak berfungsi, tetapi pelayan proksi tersalah\r\n"
     "   konfigurasi sehingga memulangkan kod http 401."},
    {410, "10. Pelayan sibuk.\r\n\r\nPelayan tidak dapat menerima sambungan baharu lagi."},
    {411,
     "11. Gagal semasa membaca pengepala. Kemungkinan punca:\r\n\r\n"
     "  a) Sambungan internet anda perlahan (contohnya 56kbps)\r\n"
     "     dan sambungan terputus semasa pengepala KTQ sedang diambil.\r\n"
     "  b) Pelayan yang dinyatakan dalam URL tidak betul.\r\n"
     "  c) Pelayan KTQ tidak berjalan dengan betul pada pelayan jauh.\r\n"
     "  Sila cuba beralih ke mod \"Behind Firewall\" (klik pada zolvex dan\r\n"
     "  tekan Ctrl+T). Jika masih gagal, sila hubungi pembekal perkhidmatan anda."},
    {412,
     "2. Sambungan ke pelayan tidak dapat diwujudkan.\r\n\r\n"
     "  a) Halaman web mungkin mempunyai URL yang salah.\r\n"
     "  b) Jika halaman web dijana secara dinamik daripada pangkalan data,\r\n"
     "     pangkalan data itu mungkin mengandungi URL yang salah.\r\n"
     "  c) Pelayan tidak berfungsi.\r\n"
     "  d) Anda berada di belakang tembok api yang menyekat sambungan.\r\n\r\n"
     "  Sila hubungi pembekal perkhidmatan anda."},
};

struct LanguageTable {
  MessageLanguage language;
  const NumberedText* begin;
  const NumberedText* end;
};

// A language without a table of its own reads the English one.
constexpr LanguageTable kTables[] = {
    {MessageLanguage::English, std::begin(kEnglish), std::end(kEnglish)},
    {MessageLanguage::German, std::begin(kGerman), std::end(kGerman)},
    {MessageLanguage::French, std::begin(kFrench), std::end(kFrench)},
    {MessageLanguage::Spanish, std::begin(kSpanish), std::end(kSpanish)},
    {MessageLanguage::Chinese, std::begin(kChinese), std::end(kChinese)},
    {MessageLanguage::Japanese, std::begin(kJapanese), std::end(kJapanese)},
    {MessageLanguage::Korean, std::begin(kKorean), std::end(kKorean)},
    {MessageLanguage::Vietnamese, std::begin(kVietnamese), std::end(kVietnamese)},
    {MessageLanguage::Malaysian, std::begin(kMalaysian), std::end(kMalaysian)},
};

const char* FindIn(const NumberedText* begin, const NumberedText* end, int number) {
  for (const NumberedText* entry = begin; entry != end; ++entry) {
    if (entry->number == number) return entry->text;
  }
  return nullptr;
}

}  // namespace

const char* FindBuiltInMessage(MessageLanguage language, int number) {
  for (const LanguageTable& table : kTables) {
    if (table.language == language) return FindIn(table.begin, table.end, number);
  }
  return nullptr;
}

}  // namespace zolvex
