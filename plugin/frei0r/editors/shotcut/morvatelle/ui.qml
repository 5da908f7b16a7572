// The Morva Telle zoom in Shotcut: the start region and the shares in
// percent, the options as check boxes. The clip's length and frame rate are
// the filter's own duration and the project's, so the course spans the clip.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Shotcut.Controls as Shotcut

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

    function setCourse() {
        filter.set('frames', filter.duration)
        filter.set('frame-rate', profile.fps)
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
                value: filter.getDouble(parent.param[0]) * 100
                onValueChanged: filter.set(parent.param[0], value / 100)
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
            checked: filter.getDouble('smooth') > 0.5
            onClicked: filter.set('smooth', checked ? 1 : 0)
        }
        Label {}

        Label {}
        CheckBox {
            text: qsTr('Ease in and out')
            checked: filter.getDouble('easing') > 0.5
            onClicked: filter.set('easing', checked ? 1 : 0)
        }
        Label {}

        Item {
            Layout.fillHeight: true
        }
    }
}
