import QtQuick 2.12
import org.shotcut.qml 1.0

Metadata {
    type: Metadata.Filter
    name: qsTr("Morva Telle Zoom")
    keywords: qsTr('zoom pan crop course region transform', 'search keywords for the Morva Telle Zoom video filter') + ' #rgba'
    mlt_service: "morvatelle"
    objectName: "morvatelleZoom"  // what a project's shotcut:filter names
    qml: "ui.qml"
    vui: "vui.qml"  // the start region dragged on the player
}
