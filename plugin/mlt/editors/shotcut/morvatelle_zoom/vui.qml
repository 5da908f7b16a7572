// The start region on Shotcut's player: drag it or its corners and the
// filter's four edges follow, as fractions of the frame. The player shows
// the filter's output; at the clip's first frame that is the whole frame.
import QtQuick 2.12
import Shotcut.Controls 1.0 as Shotcut

Shotcut.VuiBase {
    property real zoom: (video.zoom > 0) ? video.zoom : 1
    property bool blockUpdate: false

    // The edges in the project's pixels, as the rectangle control takes them.
    function regionRect() {
        var left = filter.getDouble('left'), right = filter.getDouble('right');
        var top = filter.getDouble('top'), bottom = filter.getDouble('bottom');
        return Qt.rect(Math.min(left, right) * profile.width, Math.min(top, bottom) * profile.height,
                       Math.abs(right - left) * profile.width, Math.abs(bottom - top) * profile.height);
    }

    function setRectangleControl() {
        if (!blockUpdate)
            rectangle.setHandles(regionRect());
    }

    function setFilter() {
        blockUpdate = true;
        var r = rectangle.rectangle;
        var x = r.x / rectangle.widthScale / profile.width, y = r.y / rectangle.heightScale / profile.height;
        var w = r.width / rectangle.widthScale / profile.width, h = r.height / rectangle.heightScale / profile.height;
        filter.set('left', Math.max(0, x));
        filter.set('right', Math.min(1, x + w));
        filter.set('top', Math.max(0, y));
        filter.set('bottom', Math.min(1, y + h));
        blockUpdate = false;
    }

    Component.onCompleted: {
        application.showStatusMessage(qsTr('Drag the start region or its corners'));
        setRectangleControl();
    }

    Flickable {
        anchors.fill: parent
        interactive: false
        clip: true
        contentWidth: video.rect.width * zoom
        contentHeight: video.rect.height * zoom
        contentX: video.offset.x
        contentY: video.offset.y

        Item {
            id: videoItem

            x: video.rect.x
            y: video.rect.y
            width: video.rect.width
            height: video.rect.height
            scale: zoom

            Shotcut.RectangleControl {
                id: rectangle

                widthScale: video.rect.width / profile.width
                heightScale: video.rect.height / profile.height
                handleSize: Math.max(Math.round(8 / zoom), 4)
                borderSize: Math.max(Math.round(1.33 / zoom), 1)
                onWidthScaleChanged: setHandles(regionRect())
                onHeightScaleChanged: setHandles(regionRect())
                onRectChanged: setFilter()
            }
        }
    }

    Connections {
        function onChanged() {
            setRectangleControl();
        }

        target: filter
    }
}
