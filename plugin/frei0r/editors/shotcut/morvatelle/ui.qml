// The Morva Telle zoom in Shotcut: the start region and the shares in
// percent, the options as check boxes. Shotcut keeps a clip's filters to the
// clip's in and out points, through trims and splits, so the course is
// animated over the filter (0 at its first frame, 1 at its last) and MLT
// works out where each frame stands; the length and the project's rate are
// written too, for the first frame and for older projects. Versioned
// imports, as Qt 5 requires and Qt 6 accepts.
import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12
import Shotcut.Controls 1.0 as Shotcut

Item {
    id: root
    width: 350
    height: 300

    // Parameter name, label, default in percent.
    property var percentParams: [
        ['left', qsTr('Region left'), 0], ['right', qsTr('Region right'), 100],
        ['top', qsTr('Region top'), 0], ['bottom', qsTr('Region bottom'), 100],
        ['zoom-in', qsTr('Zoom in over'), 10], ['zoom-out', qsTr('Zoom out over'), 50],
        ['overlay', qsTr('Overlay'), 0]
    ]

    // Bumped once the defaults are in, so that the controls read them.
    property int revision: 0

    // In the filter's own units: millions of frames, thousands of frames a second, seconds.
    function setCourse() {
        filter.set('course', '0=0;-1=1')
        filter.set('frames', filter.duration * 1e-6)
        filter.set('frame-rate', profile.fps / 1000)
        filter.set('time-scale', 1)
    }

    Component.onCompleted: {
        if (filter.isNew) {
            for (var i = 0; i < percentParams.length; i++)
                filter.set(percentParams[i][0], percentParams[i][2] / 100)
            filter.set('smooth', 0)
            filter.set('easing', 0)
            filter.savePreset(preset.parameters)
        }
        setCourse()
        revision++
    }

    // The controls follow the edges the player's rectangle sets.
    Connections {
        function onChanged() { revision++ }
        target: filter
    }

    // The course follows the clip when it is trimmed.
    Connections {
        function onInChanged() { setCourse() }
        function onOutChanged() { setCourse() }
        function onDurationChanged() { setCourse() }
        target: filter
        ignoreUnknownSignals: true
    }

    GridLayout {
        columns: 3
        anchors.fill: parent
        anchors.margins: 8

        Label {
            text: qsTr('Preset')
            Layout.alignment: Qt.AlignRight
        }
        Shotcut.Preset {
            id: preset
            Layout.columnSpan: 2
            parameters: ['left', 'right', 'top', 'bottom', 'zoom-in', 'zoom-out', 'overlay', 'smooth', 'easing']
        }

        // Each percent parameter: its label, its slider, its undo button.
        Repeater {
            model: root.percentParams.length * 3
            delegate: Loader {
                property var param: root.percentParams[Math.floor(index / 3)]
                sourceComponent: [labelComponent, sliderComponent, undoComponent][index % 3]
                Layout.fillWidth: index % 3 === 1
                Layout.alignment: index % 3 === 0 ? Qt.AlignRight : Qt.AlignLeft
            }
        }

        Component {
            id: labelComponent
            Label { text: parent.param[1] }
        }
        Component {
            id: sliderComponent
            Shotcut.SliderSpinner {
                minimumValue: 0
                maximumValue: 100
                decimals: 1
                suffix: ' %'
                value: (root.revision, filter.getDouble(parent.param[0]) * 100)
                // Only a change of the user's: the player's rectangle sets the edges too.
                onValueChanged: if (Math.abs(filter.getDouble(parent.param[0]) * 100 - value) > 1e-6)
                    filter.set(parent.param[0], value / 100)
            }
        }
        Component {
            id: undoComponent
            Shotcut.UndoButton {
                onClicked: filter.set(parent.param[0], parent.param[2] / 100)
            }
        }

        Label {}
        CheckBox {
            text: qsTr('Smooth zoom')
            checked: (root.revision, filter.getDouble('smooth') > 0.5)
            onClicked: filter.set('smooth', checked ? 1 : 0)
        }
        Label {}

        Label {}
        CheckBox {
            text: qsTr('Ease in and out')
            checked: (root.revision, filter.getDouble('easing') > 0.5)
            onClicked: filter.set('easing', checked ? 1 : 0)
        }
        Label {}

        Item {
            Layout.fillHeight: true
        }
    }
}
