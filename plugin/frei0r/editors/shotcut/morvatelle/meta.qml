import QtQuick
import org.shotcut.qml

Metadata {
    type: Metadata.Filter
    name: qsTr("Morva Telle Zoom")
    keywords: qsTr('zoom pan crop ken burns course region', 'search keywords for the Morva Telle Zoom video filter') + ' #rgba'
    mlt_service: "frei0r.morvatelle"
    qml: "ui.qml"
}
