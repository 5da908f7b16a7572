import QtQuick 2.12
import org.shotcut.qml 1.0

// The frei0r filter, kept for projects made with it and hidden from the
// filter list, where the MLT service (morvatelle_zoom) stands in its place.
Metadata {
    type: Metadata.Filter
    name: qsTr("Morva Telle Zoom")
    keywords: qsTr('zoom pan crop course region transform', 'search keywords for the Morva Telle Zoom video filter') + ' #rgba'
    mlt_service: "frei0r.morvatelle"
    objectName: "morvatelle"  // what a project's shotcut:filter names
    isHidden: true
    qml: "ui.qml"
    vui: "vui.qml"  // the start region dragged on the player
}
